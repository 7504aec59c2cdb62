-- n instances set depth = -y in their step event; the list is kept in depth order (equal
-- depths in the order they were in).  love depth <n> <steps> jit|nojit    prints seconds a step
local Mover = {}
Mover.__index = Mover
function Mover:step()
  self.y = self.y + 1
  if self.y >= 480 then self.y = 0 end
  self.depth = -self.y
end

local function before(a, b)
  if a.depth ~= b.depth then return a.depth < b.depth end
  return a.order < b.order
end

local function run_step(list)
  for _, inst in ipairs(list) do inst:step() end
  table.sort(list, before)
  for k, inst in ipairs(list) do inst.order = k end
end

function love.load(args)
  if args[3] == "nojit" then jit.off() end
  local n, steps = tonumber(args[1]), tonumber(args[2])
  local list = {}
  for i = 0, n - 1 do
    list[#list + 1] = setmetatable({id = 100001 + i, x = (i * 7) % 640, y = (i * 13) % 480, depth = 0,
                                    order = i + 1, n = 0}, Mover)
  end
  run_step(list)
  local t0 = love.timer.getTime()
  for _ = 1, steps do run_step(list) end
  print(string.format("%.6f", (love.timer.getTime() - t0) / steps))
  os.exit(0)
end

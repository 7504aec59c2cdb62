-- n instances with a step event.  love step <n> <steps> jit|nojit    prints seconds a step
local room_width = 640
local Mover = {}
Mover.__index = Mover
function Mover:step()
  self.n = self.n + 1
  self.x = self.x + self.hspeed + 1
  if self.x > room_width then self.x = 0 end
end

local function run_step(list)
  for _, inst in ipairs(list) do inst:step() end
end

function love.load(args)
  if args[3] == "nojit" then jit.off() end
  local n, steps = tonumber(args[1]), tonumber(args[2])
  local list = {}
  for i = 0, n - 1 do
    list[#list + 1] = setmetatable({id = 100001 + i, x = (i * 7) % 640, y = (i * 13) % 480, depth = 0,
                                    hspeed = 0, n = 0}, Mover)
  end
  run_step(list)
  local t0 = love.timer.getTime()
  for _ = 1, steps do run_step(list) end
  print(string.format("%.6f", (love.timer.getTime() - t0) / steps))
  os.exit(0)
end

-- A create event makes n instances one at a time, each put in depth order and given its own
-- create event.  love instance_create <n> <steps> jit|nojit    prints seconds and KiB each
local Mover = {}
Mover.__index = Mover
function Mover:create() self.n = 0 end

local function insert_by_depth(list, inst)
  local lo, hi = 1, #list + 1
  while lo < hi do
    local mid = math.floor((lo + hi) / 2)
    if list[mid].depth > inst.depth then hi = mid else lo = mid + 1 end
  end
  table.insert(list, lo, inst)
end

local next_id = 100001
local function instance_create(list, x, y)
  next_id = next_id + 1
  local inst = setmetatable({id = next_id, x = x, y = y, depth = 0, hspeed = 0, vspeed = 0, speed = 0,
                             direction = 0}, Mover)
  insert_by_depth(list, inst)
  inst:create()
  return inst
end

function love.load(args)
  if args[3] == "nojit" then jit.off() end
  local n = tonumber(args[1])
  collectgarbage("collect")
  local before = collectgarbage("count")
  local t0 = love.timer.getTime()
  local list = {}
  for i = 0, n - 1 do instance_create(list, (i * 7) % 640, (i * 13) % 480) end
  local took = love.timer.getTime() - t0
  collectgarbage("collect")
  print(string.format("%.6f %.3f", took, (collectgarbage("count") - before) / n))
  os.exit(0)
end

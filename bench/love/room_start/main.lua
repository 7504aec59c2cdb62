-- A room of n instances starts: each made, put in depth order and given its create event.
-- love room_start <n> <steps> jit|nojit    prints seconds
local Mover = {}
Mover.__index = Mover
function Mover:create() self.n = 0 end

-- After every instance of equal or lesser depth (binary search; equal depths append).
local function insert_by_depth(list, inst)
  local lo, hi = 1, #list + 1
  while lo < hi do
    local mid = math.floor((lo + hi) / 2)
    if list[mid].depth > inst.depth then hi = mid else lo = mid + 1 end
  end
  table.insert(list, lo, inst)
end

function love.load(args)
  if args[3] == "nojit" then jit.off() end
  local n = tonumber(args[1])
  local t0 = love.timer.getTime()
  local list = {}
  for i = 0, n - 1 do
    local inst = setmetatable({id = 100001 + i, x = (i * 7) % 640, y = (i * 13) % 480, depth = 0,
                               hspeed = 0, vspeed = 0, speed = 0, direction = 0}, Mover)
    insert_by_depth(list, inst)
  end
  for _, inst in ipairs(list) do inst:create() end
  print(string.format("%.6f", love.timer.getTime() - t0))
  os.exit(0)
end

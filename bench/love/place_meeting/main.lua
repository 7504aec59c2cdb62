-- n 16 x 16 boxes at constant density each ask once a step whether they would meet another
-- one step to the right, and move there when not; a grid of 64-pixel cells finds the
-- candidates.  love place_meeting <n> <steps> jit|nojit    prints seconds a step
local CELL = 64
local side = 0
local grid = {}

local function key(cx, cy) return cy * 65536 + cx end

local function cells(inst, fn)
  for cy = math.floor(inst.y / CELL), math.floor((inst.y + 15) / CELL) do
    for cx = math.floor(inst.x / CELL), math.floor((inst.x + 15) / CELL) do fn(key(cx, cy)) end
  end
end

local function add(inst)
  cells(inst, function(k)
    local c = grid[k]
    if c == nil then c = {}; grid[k] = c end
    c[inst] = true
  end)
end

local function remove(inst)
  cells(inst, function(k) grid[k][inst] = nil end)
end

local function place_meeting(self, x, y)
  local probe = {x = x, y = y}
  local hit = false
  cells(probe, function(k)
    local c = grid[k]
    if hit or c == nil then return end
    for other in pairs(c) do
      if other ~= self and x <= other.x + 15 and other.x <= x + 15 and y <= other.y + 15 and other.y <= y + 15 then
        hit = true
        return
      end
    end
  end)
  return hit
end

local function run_step(list)
  for _, inst in ipairs(list) do
    if place_meeting(inst, inst.x + 1, inst.y) then
      inst.n = inst.n + 1
    else
      remove(inst)
      inst.x = inst.x + 1
      if inst.x > side then inst.x = 0 end
      add(inst)
    end
  end
end

function love.load(args)
  if args[3] == "nojit" then jit.off() end
  local n, steps = tonumber(args[1]), tonumber(args[2])
  side = math.floor(math.sqrt(n) * 40)
  local columns = math.max(1, math.floor(side / 20))
  local list = {}
  for i = 0, n - 1 do
    local inst = {x = (i % columns) * 20 + (i % 3) * 2, y = math.floor(i / columns) * 80, n = 0}
    list[#list + 1] = inst
    add(inst)
  end
  run_step(list)
  local t0 = love.timer.getTime()
  for _ = 1, steps do run_step(list) end
  print(string.format("%.6f", (love.timer.getTime() - t0) / steps))
  os.exit(0)
end

-- Prints its own running time (os.clock), so the interpreter's start-up is not counted.
-- A map and a list over 1,000,000 keys: add, find and replace, then a walk through the list.
local t0 = os.clock()
local n = 1000000
local map, list = {}, {}
for i = 0, n - 1 do
  if map[i] == nil then map[i] = i * 2 end
  list[#list + 1] = i
end
for i = 0, n - 1 do map[i] = map[i] + 1 end
local s = 0
for i = 0, n - 1 do s = s + map[list[i + 1]] end
io.write(string.format("%.6f\n", os.clock() - t0))

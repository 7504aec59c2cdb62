-- Prints its own running time (os.clock), so the interpreter's start-up is not counted.
-- A map and a list of 10,000 keys, added once, then 500 rounds of find and replace in the map
-- and of a walk through the list that finds each key.
local t0 = os.clock()
local n = 10000
local map, list = {}, {}
for i = 0, n - 1 do
  if map[i] == nil then map[i] = i * 2 end
  list[#list + 1] = i
end
local s = 0
for round = 1, 500 do
  for i = 0, n - 1 do map[i] = map[i] + 1 end
  for i = 0, n - 1 do s = s + map[list[i + 1]] end
end
io.write(string.format("%.6f\n", os.clock() - t0))

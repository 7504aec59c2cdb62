-- Prints its own running time (os.clock), so the interpreter's start-up is not counted.
-- 10M elements, 1000 rows of 10000, stored in one table.
local t0 = os.clock()
local a = {}
for i = 0, 999 do for j = 0, 9999 do a[i * 10000 + j] = i * 10000 + j end end
local s = 0
for i = 0, 999 do for j = 0, 9999 do s = s + a[i * 10000 + j] end end
io.write(string.format("%.6f\n", os.clock() - t0))

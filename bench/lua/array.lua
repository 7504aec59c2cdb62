-- Prints its own running time (os.clock), so the interpreter's start-up is not counted.
local t0 = os.clock()
local a = {}
for i = 0, 999 do for j = 0, 999 do a[i * 1000 + j] = i * 1000 + j end end
local s = 0
for i = 0, 999 do for j = 0, 999 do s = s + a[i * 1000 + j] end end
io.write(string.format("%.6f\n", os.clock() - t0))

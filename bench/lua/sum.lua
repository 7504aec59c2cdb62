-- Prints its own running time (os.clock), so the interpreter's start-up is not counted.
local t0 = os.clock()
local s = 0
for i = 0, 9999999 do s = s + i end
io.write(string.format("%.6f\n", os.clock() - t0))

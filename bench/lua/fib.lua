-- Prints its own running time (os.clock), so the interpreter's start-up is not counted.
local t0 = os.clock()
local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end
local r = fib(27)
io.write(string.format("%.6f\n", os.clock() - t0))

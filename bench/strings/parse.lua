-- The same parse as parse.gml: one string.sub a character. Usage: lua5.4 parse.lua <bytes>
-- Prints "<microseconds> <lines> <digits>", timing only the parse (os.clock).
local size = tonumber(arg[1])
local block = "wall 128 64 0\nenemy 32 400 1 speed=2.5\n# the east gate\n"
  .. "tile grass 16 16 7 3\ndoor 640 96 exit=rm_cave\n"
local s = string.rep(block, math.ceil(size / #block))
local t0 = os.clock()
local n = #s
local lines, digits = 0, 0
for i = 1, n do
  local c = string.sub(s, i, i)
  if c == "\n" then
    lines = lines + 1
  elseif c >= "0" and c <= "9" then
    digits = digits + 1
  end
end
io.write(string.format("%d %d %d\n", math.floor((os.clock() - t0) * 1e6 + 0.5), lines, digits))

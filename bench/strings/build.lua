-- The same text as build.gml, built line by line: with s = s .. line (the same work as +=),
-- or with "concat", lines gathered in a table and joined once by table.concat.
-- Usage: lua5.4 build.lua <lines> [concat]. Prints "<microseconds> <bytes>" (os.clock).
local count = tonumber(arg[1])
local t0 = os.clock()
local s
if arg[2] == "concat" then
  local parts = {}
  for i = 0, count - 1 do
    local line = "entry " .. i .. " wall 128 64 0 speed=2.5"
    parts[#parts + 1] = line .. "\n"
  end
  s = table.concat(parts)
else
  s = ""
  for i = 0, count - 1 do
    local line = "entry " .. i .. " wall 128 64 0 speed=2.5"
    s = s .. line .. "\n"
  end
end
io.write(string.format("%d %d\n", math.floor((os.clock() - t0) * 1e6 + 0.5), #s))

local counter = {}
function counter:add(v) return v + 1 end
local s = 0
for i = 1, 1000000 do s = counter:add(s) end

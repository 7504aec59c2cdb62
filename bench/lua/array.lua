local a = {}
for i = 0, 999 do for j = 0, 999 do a[i * 1000 + j] = i * 1000 + j end end
local s = 0
for i = 0, 999 do for j = 0, 999 do s = s + a[i * 1000 + j] end end

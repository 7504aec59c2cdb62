local s = 0
for i = 0, 9999999 do s = s + i end

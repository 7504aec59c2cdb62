-- The peer of bench/startup_vs_love.sh: Love2D's stock modules and a 640x480 window, the size
-- of the runner's empty room.
function love.conf(t)
  t.window.width = 640
  t.window.height = 480
end

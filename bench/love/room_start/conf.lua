-- No window and no graphics: the benchmark runs headless and prints its figure.
function love.conf(t)
  t.window = false
  t.modules.window, t.modules.graphics, t.modules.audio, t.modules.sound = false, false, false, false
  t.modules.joystick, t.modules.physics, t.modules.image, t.modules.font = false, false, false, false
end

-- The particles of bench/particles_vs_love.sh with love.graphics.newParticleSystem: disks of a
-- 64x64 image at 0.1 of its size (the runner's 0.05..0.15 on average), 0.5..2 pixels a step in
-- every direction, gravity 0.01 pixels a step down, red to yellow, alpha 1 to 0.3, born in the
-- ellipse (100..540, 100..380).
-- A step is an update of 1/60 s, as the runner's room steps are.
--   burst:  N particles emitted at the first timed frame (after 10 frames of warm-up), then
--           updated and drawn for F frames; prints the microseconds a frame, burst included;
--   stream: N/50 particles emitted a step that live 50 steps (~N alive once warm), timed for
--           S seconds after 60 frames of warm-up.
-- love.run is the stock loop without its 1 ms sleep after each frame, so that only the frame's
-- own work (events, update, clear, draw, present) is timed.
-- Usage: love . burst|stream [count] [frames] [seconds]
local mode, count, frames_timed, seconds = "burst", 100000, 60, 2
local step = 1 / 60
local system

local function disk()
  local data = love.image.newImageData(64, 64)
  data:mapPixel(function(x, y)
    local dx, dy = (x + 0.5 - 32) / 32, (y + 0.5 - 32) / 32
    local a = math.max(0, math.min(1, (1 - math.sqrt(dx * dx + dy * dy)) * 16))
    return 1, 1, 1, a
  end)
  return love.graphics.newImage(data)
end

function love.load(arg)
  mode = arg[1] or mode
  count = tonumber(arg[2]) or count
  frames_timed = tonumber(arg[3]) or frames_timed
  seconds = tonumber(arg[4]) or seconds
  local life = (mode == "burst") and 1000 or 50
  system = love.graphics.newParticleSystem(disk(), count + count / 10)
  system:setParticleLifetime(life * step, life * step)
  system:setEmissionArea("ellipse", 220, 140, 0, false)
  system:setPosition(320, 240)
  system:setDirection(0)
  system:setSpread(2 * math.pi)
  system:setSpeed(0.5 / step, 2 / step)
  system:setLinearAcceleration(0, 0.01 / step / step, 0, 0.01 / step / step)
  system:setSizes(0.1)
  system:setColors(1, 0, 0, 1, 1, 1, 0, 0.3)
  if mode == "stream" then
    system:setEmissionRate(count / 50 / step)
  end
end

function love.run()
  love.load(love.arg.parseGameArguments(arg), arg)
  love.timer.step()
  local frames, start = (mode == "burst") and -10 or -60, 0
  return function()
    love.event.pump()
    for name, a in love.event.poll() do
      if name == "quit" then return a or 0 end
      love.handlers[name](a)
    end
    love.timer.step()
    frames = frames + 1
    if frames == 0 then
      start = love.timer.getTime()
      if mode == "burst" then system:emit(count) end
    end
    local done = (mode == "burst" and frames == frames_timed) or
      (mode == "stream" and frames > 0 and love.timer.getTime() - start >= seconds)
    if done then
      print(string.format("@frame %.2f", (love.timer.getTime() - start) * 1e6 / frames))
      return 0
    end
    system:update(step)
    love.graphics.origin()
    love.graphics.clear(0, 0, 0, 1)
    love.graphics.draw(system)
    love.graphics.present()
  end
end

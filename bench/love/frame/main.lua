-- A frame of an empty window, or of N 32x32 quads of a 64x64 image at the places of the
-- runner's benchmark, timed for S seconds after 30 frames of warm-up; prints the microseconds
-- a frame. love.run is the stock loop without its 1 ms sleep after each frame, so that only
-- the frame's own work (events, update, clear, draw, present) is timed.
-- Usage: love . [sprites] [seconds]
local sprites, seconds = 0, 2
local image, quad

function love.load(arg)
  sprites = tonumber(arg[1]) or sprites
  seconds = tonumber(arg[2]) or seconds
  local data = love.image.newImageData(64, 64)
  data:mapPixel(function(x, y)
    local p = y * 64 + x
    local a = ((math.floor(x / 8) + math.floor(y / 8)) % 2 == 0) and 1 or 128 / 255
    return (p * 7 % 256) / 255, (p * 13 % 256) / 255, (p * 3 % 256) / 255, a
  end)
  image = love.graphics.newImage(data)
  quad = love.graphics.newQuad(0, 0, 32, 32, 64, 64)
end

function love.draw()
  for i = 0, sprites - 1 do
    love.graphics.draw(image, quad, (i * 37) % 640, (i * 53) % 480, 0, 1, 1, 16, 16)
  end
end

function love.run()
  love.load(love.arg.parseGameArguments(arg), arg)
  love.timer.step()
  local frames, start = -30, 0
  return function()
    love.event.pump()
    for name, a in love.event.poll() do
      if name == "quit" then return a or 0 end
      love.handlers[name](a)
    end
    love.timer.step()
    love.graphics.origin()
    love.graphics.clear(0, 0, 0, 1)
    love.draw()
    love.graphics.present()
    frames = frames + 1
    if frames == 0 then start = love.timer.getTime() end
    if frames > 0 and love.timer.getTime() - start >= seconds then
      print(string.format("@frame %.2f", (love.timer.getTime() - start) * 1e6 / frames))
      return 0
    end
  end
end

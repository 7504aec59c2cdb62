-- Draws N 32x32 quads of a 64x64 image a frame, one draw call per sprite, at the same places
-- as the runner's benchmark, for S seconds, and prints the frames per second.
-- Usage: love . [sprites] [seconds]
local sprites, seconds = 10000, 3
local image, quad
local frames, elapsed, warm = 0, 0, true

function love.load(arg)
  sprites = tonumber(arg[1]) or sprites
  seconds = tonumber(arg[2]) or seconds
  local data = love.image.newImageData(64, 64)
  data:mapPixel(function(x, y)
    local p = y * 64 + x
    local a = ((math.floor(x / 8) + math.floor(y / 8)) % 2 == 0) and 1 or 0.5
    return (p * 7 % 256) / 255, (p * 13 % 256) / 255, (p * 3 % 256) / 255, a
  end)
  image = love.graphics.newImage(data)
  quad = love.graphics.newQuad(0, 0, 32, 32, 64, 64)
end

function love.update(dt)
  if warm then
    warm = false
    return
  end
  elapsed = elapsed + dt
  frames = frames + 1
  if elapsed >= seconds then
    print(string.format("%.1f", frames / elapsed))
    love.event.quit()
  end
end

function love.draw()
  love.graphics.clear(0, 0, 0, 1)
  for i = 0, sprites - 1 do
    love.graphics.draw(image, quad, (i * 37) % 640, (i * 53) % 480, 0, 1, 1, 16, 16)
  end
end

-- Prints its own running time (os.clock), so the interpreter's start-up is not counted.
-- The n-body step: five bodies whose positions, velocities and masses are arrays of reals.
local t0 = os.clock()
local pi = 3.141592653589793
local solarMass = 4 * pi * pi
local daysPerYear = 365.24
local px = {0, 4.84143144246472090e+00, 8.34336671824457987e+00, 1.28943695621391310e+01, 1.53796971148509165e+01}
local py = {0, -1.16032004402742839e+00, 4.12479856412430479e+00, -1.51111514016986312e+01, -2.59193146099879641e+01}
local pz = {0, -1.03622044471123109e-01, -4.03523417114321381e-01, -2.23307578892655734e-01, 1.79258772950371181e-01}
local vx = {0, 1.66007664274403694e-03, -2.76742510726862411e-03, 2.96460137564761618e-03, 2.68067772490389322e-03}
local vy = {0, 7.69901118419740425e-03, 4.99852801234917238e-03, 2.37847173959480950e-03, 1.62824170038242295e-03}
local vz = {0, -6.90460016972063023e-05, 2.30417297573763929e-05, -2.96589568540237556e-05, -9.51592254519715870e-05}
local m = {1, 9.54791938424326609e-04, 2.85885980666130812e-04, 4.36624404335156298e-05, 5.15138902046611451e-05}
for i = 1, 5 do
  vx[i] = vx[i] * daysPerYear
  vy[i] = vy[i] * daysPerYear
  vz[i] = vz[i] * daysPerYear
  m[i] = m[i] * solarMass
end
local dt = 0.01
for step = 1, 500000 do
  for i = 1, 5 do
    for j = i + 1, 5 do
      local dx = px[i] - px[j]
      local dy = py[i] - py[j]
      local dz = pz[i] - pz[j]
      local d2 = dx * dx + dy * dy + dz * dz
      local mag = dt / (d2 * math.sqrt(d2))
      local mi = m[i] * mag
      local mj = m[j] * mag
      vx[i] = vx[i] - dx * mj
      vy[i] = vy[i] - dy * mj
      vz[i] = vz[i] - dz * mj
      vx[j] = vx[j] + dx * mi
      vy[j] = vy[j] + dy * mi
      vz[j] = vz[j] + dz * mi
    end
  end
  for i = 1, 5 do
    px[i] = px[i] + dt * vx[i]
    py[i] = py[i] + dt * vy[i]
    pz[i] = pz[i] + dt * vz[i]
  end
end
io.write(string.format("%.6f\n", os.clock() - t0))

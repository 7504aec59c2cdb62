hspeed = 2 + x mod 3;
vspeed = 2;

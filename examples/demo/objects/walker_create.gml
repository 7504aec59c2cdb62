hspeed = 5;
vspeed = 3;

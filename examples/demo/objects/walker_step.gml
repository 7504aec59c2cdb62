// Bounces inside the garden; the view follows with a border and a speed limit.
if (x < 16 || x > room_width - 16) hspeed = -hspeed;
if (y < 16 || y > room_height - 16) vspeed = -vspeed;
image_index = (x div 12) mod 2;

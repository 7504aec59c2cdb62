// Bounces off the room's edges; in the sound room each bounce rings the chime.
var bounced;
bounced = false;
if (x < 8 || x > room_width - 8) { hspeed = -hspeed; bounced = true; }
if (y < 8 || y > room_height - 8) { vspeed = -vspeed; bounced = true; }
if (bounced && room == rm_sound) sound_play(snd_chime);
image_angle += hspeed;

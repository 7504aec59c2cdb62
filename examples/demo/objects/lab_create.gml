// A physics world for this room: a floor, and a dozen balls dropped on it from a heap.
physics_world_create(0.1);
physics_world_gravity(0, 20);
global.contacts = 0;
ticks = 0;
instance_create(160, 200, obj_floor);
var i;
for (i = 0; i < 12; i += 1) instance_create(50 + (i mod 6) * 44 + (i div 6) * 12, 110 + (i div 6) * 26, obj_rubber);
show_debug_message("A physics world of " + string(instance_number(obj_rubber)) + " balls falling on a floor.");

ticks += 1;
if (ticks == 44) show_debug_message("The balls fell and collided: " + string(global.contacts) + " contacts so far.");

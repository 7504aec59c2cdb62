hspeed = 4 + 4 * instance_number(obj_ball);
show_debug_message("A ball rolls off at speed " + string(hspeed) + ".");

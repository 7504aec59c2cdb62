show_debug_message("Balls left: " + string(instance_number(obj_ball) - 1) + ".");

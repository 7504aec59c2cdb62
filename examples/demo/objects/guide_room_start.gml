visits += 1;
show_debug_message("Room " + string(room) + " (" + room_caption + "), visit " + string(visits)
  + ": " + string(instance_number(all)) + " instance(s) here.");
alarm[0] = 30;

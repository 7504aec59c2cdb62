global.rooms_seen += 1;
steps = 0;
if (global.headless) wait = 45; else wait = 150;
line = scr_room_line(room);
show_debug_message("Room " + string(global.rooms_seen) + " of " + string(room_last + 1) + ": " + line);

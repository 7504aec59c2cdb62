show_debug_message("Goodbye after " + string(global.rooms_seen) + " rooms.");

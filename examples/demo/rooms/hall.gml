show_debug_message("The hall is quiet.");

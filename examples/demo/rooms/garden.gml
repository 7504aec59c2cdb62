show_debug_message("Flowers grow in the garden.");

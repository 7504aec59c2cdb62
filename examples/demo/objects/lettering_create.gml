big = font_add("DejaVu Sans", 22, true, false, 32, 127);
small = font_add("DejaVu Sans", 10, false, true, 32, 127);
show_debug_message("font_add made two fonts from DejaVu Sans: " + font_get_name(big) + " and " + font_get_name(small) + ".");

show_debug_overlay(false);

// The debug overlay, switched on while this room lasts: the frame rate as a line and bars.
show_debug_overlay(true);
show_debug_message("The debug overlay is on: frames per second as a line and bars.");

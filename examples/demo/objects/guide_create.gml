visits = 0;
global.steps = 0;
show_debug_message("The guide arrives.");

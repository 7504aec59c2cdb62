show_debug_message("Goodbye after " + string(global.steps) + " steps and " + string(visits) + " rooms.");

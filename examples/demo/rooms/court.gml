show_debug_message("Balls fly in the court.");

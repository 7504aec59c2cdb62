show_debug_message("A ball left the court at x = " + string(x) + ".");
instance_destroy();

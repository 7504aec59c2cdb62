if (room == room_last) {
  show_debug_message("The tour is over.");
  game_end();
} else {
  show_debug_message("Moving on after " + string(global.steps) + " steps.");
  room_goto_next();
}

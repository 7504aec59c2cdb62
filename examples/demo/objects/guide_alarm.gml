if (room == room_last) {
  // The last picture drawn, kept in the game's save folder.
  screen_save("kilnforge_demo.png");
  show_debug_message("Saved a screenshot: kilnforge_demo.png");
  show_debug_message("The tour is over.");
  game_end();
} else {
  show_debug_message("Moving on after " + string(global.steps) + " steps.");
  room_goto_next();
}

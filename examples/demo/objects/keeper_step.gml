// Saves the game, changes it, and loads it back: the coins come back as they were saved.
phase += 1;
if (phase == 10) {
  coins = 5;
  game_save("tour.sav");
  show_debug_message("Saved the game with " + string(coins) + " coins in tour.sav.");
  coins = 99;
  game_load("tour.sav");
}
if (phase == 12) {
  said = "Loaded tour.sav back: " + string(coins) + " coins, as saved.";
  show_debug_message(said);
}

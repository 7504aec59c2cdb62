// The guide goes with the player from room to room (it is persistent).
random_set_seed(7);
global.headless = environment_get_variable("SDL_VIDEODRIVER") == "offscreen";
global.save_area = scr_save_area();
global.rooms_seen = 0;
show_debug_message("Kilnforge demo: a tour of the runner, a room for each part of it.");
if (global.headless) {
  show_debug_message("No display: every room moves on by itself and its picture is saved.");
} else {
  show_debug_message("Press a key to move on (each room moves on by itself after five seconds).");
}

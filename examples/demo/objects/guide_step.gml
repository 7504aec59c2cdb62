steps += 1;
var leave;
leave = steps >= wait;
if (!global.headless && steps > 10 && keyboard_check_pressed(vk_anykey)) leave = true;
if (leave) {
  var name;
  name = "demo_" + string(global.rooms_seen) + "_" + room_get_name(room) + ".png";
  screen_save(name);
  show_debug_message("Saved a picture of this room: " + global.save_area + name);
  if (room == room_last) {
    show_debug_message("The tour is over.");
    game_end();
  } else {
    room_goto_next();
  }
}

// A panel over every room: what the room shows, and where the tour stands. In the overlay's
// room it sits lower, below the frame-rate line and bars.
var top;
top = 0;
if (room == rm_overlay) top = 22;
draw_set_font(-1);
draw_set_halign(fa_left);
draw_set_alpha(0.7);
draw_set_color(c_black);
draw_rectangle(0, top, 320, top + 44, false);
draw_rectangle(0, 222, 320, 240, false);
draw_set_alpha(1);
draw_set_color(c_white);
draw_text_ext(4, top + 1, line, 14, 312);
draw_set_color(c_yellow);
var hint;
hint = "Room " + string(global.rooms_seen) + " of " + string(room_last + 1);
if (!global.headless) hint += " - press a key";
draw_text(4, 224, hint);
draw_healthbar(200, 228, 314, 234, steps / wait * 100, c_dkgray, c_red, c_lime, 0, 1, 1);

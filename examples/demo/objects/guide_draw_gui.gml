// A panel in window coordinates over every room: the room's number as dots, the time left in
// the room as a health bar, and a few shapes.
draw_set_alpha(0.6);
draw_set_color(c_black);
draw_roundrect(4, 200, 316, 236, 0);
draw_set_alpha(1);
var i;
for (i = 0; i <= room; i += 1) draw_circle_color(20 + i * 14, 218, 5, c_white, c_orange, 0);
draw_healthbar(70, 212, 200, 224, alarm[0] / 30 * 100, c_dkgray, c_red, c_lime, 0, 1, 1);
draw_triangle_color(214, 228, 226, 206, 238, 228, c_red, c_lime, c_blue, 0);
draw_set_color(c_yellow);
draw_line_width(250, 210, 306, 226, 3);
draw_arrow(250, 226, 306, 210, 8);

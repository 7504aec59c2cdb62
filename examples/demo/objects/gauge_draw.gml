draw_set_color(c_white);
var i;
for (i = 0; i < 8; i += 1) draw_circle_color(40 + i * 34, 140, 12, c_lime, c_green, false);

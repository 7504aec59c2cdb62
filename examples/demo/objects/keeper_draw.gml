draw_set_color(c_white);
draw_text(40, 80, "coins: " + string(coins));
draw_text_ext(40, 110, said, 14, 240);
var i;
for (i = 0; i < coins; i += 1) draw_circle_color(60 + i * 24, 170, 8, c_yellow, c_orange, false);

draw_set_color(c_gray);
draw_rectangle(x - 150, y - 6, x + 150, y + 6, false);

draw_set_color(c_white);
var i;
for (i = 0; i < ds_list_size(lines); i += 1) draw_text_ext(8, 52 + i * 32, ds_list_find_value(lines, i), 14, 304);

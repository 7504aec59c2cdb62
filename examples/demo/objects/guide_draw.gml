// The guide walks in place where it stands, drawn turned a little each step.
draw_sprite_ext(sprite_index, global.steps div 8, x, y, 2, 2, sin(global.steps / 10) * 15, c_white, 1);

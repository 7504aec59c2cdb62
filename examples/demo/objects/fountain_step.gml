ticks += 1;
if (ticks mod 30 == 1) effect_create_above(ef_firework, 60 + (ticks * 37) mod 200, 70, 1, c_yellow);

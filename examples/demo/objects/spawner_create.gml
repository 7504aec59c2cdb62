var i;
for (i = 0; i < 3; i += 1) instance_create(x, y, obj_ball);

// A 3D scene: blocks, a cylinder, a cone and a ball on a grass floor, lit by the sun and an
// ambient light, with fog in the distance; the camera circles the scene.
d3d_start();
d3d_set_hidden(true);
d3d_set_lighting(true);
d3d_set_fog(true, make_color_rgb(20, 24, 40), 120, 420);
d3d_light_define_ambient(make_color_rgb(60, 60, 70));
d3d_light_define_direction(1, 0.6, -1, -1, c_white);
d3d_light_enable(1, true);
grass = background_get_texture(bg_grass3d);
stone = background_get_texture(bg_stone3d);
turn = 0;
show_debug_message("3D mode on: lit shapes with a depth buffer and fog; the camera circles them.");

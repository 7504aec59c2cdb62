var f;
f = physics_fixture_create();
physics_fixture_set_box_shape(f, 150, 6);
physics_fixture_set_density(f, 0);
physics_fixture_bind(f, id);
physics_fixture_delete(f);

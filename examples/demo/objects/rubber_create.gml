var f;
f = physics_fixture_create();
physics_fixture_set_circle_shape(f, 8);
physics_fixture_set_density(f, 1);
physics_fixture_set_restitution(f, 0.6);
physics_fixture_bind(f, id);
physics_fixture_delete(f);

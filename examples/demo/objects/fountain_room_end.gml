part_emitter_destroy(sys, em);
part_type_destroy(drop);
part_system_destroy(sys);

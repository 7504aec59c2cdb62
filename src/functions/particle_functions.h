// The particle and effect built-ins: part_type_*, part_system_*, part_particles_*, the five kinds
// of actor of a system (part_emitter_*, part_attractor_*, part_destroyer_*, part_deflector_*,
// part_changer_*) and effect_*. Each converts its arguments and calls one operation of the
// particle engine; none reports an error (invalid indices do nothing).
#pragma once

void InitParticleFunctions();

// The physics built-ins (physics_world_*, physics_fixture_*, physics_apply_*, the mass
// properties, debug drawing, the overlap test and physics_joint_*): each converts room pixels
// to metres and degrees to radians, resolves its instance arguments and calls the room's
// physics world (runner/physics_world.h, runner/physics_objects.h); misuse is reported as a
// non-fatal runtime error.
#pragma once

void InitPhysicsFunctions();

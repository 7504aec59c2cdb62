// Particle games played headless by the runner binary in each game form: counts of particles
// after known numbers of updates (bursts, streams, lifetimes, step and death spawns,
// destroyers, changers, the built-in effects), the positions of one particle moved by a
// deflector and by attractors, bad indices and counts, and the pictures of particles of
// several shapes and blends drawn among the instances.
#include "graphics/played_drawing_game.h"

namespace {

class ParticleGame : public PlayedDrawingGame {
 protected:
  // A game whose controller runs `create` in its create event, then `step` in every step, and
  // saves "shot.png" and ends in the draw-GUI event of step `frames`. Its "@" lines are kept
  // in `lines`.
  void Play(const std::string& create, const std::string& step = "", int frames = 1, int depth = 0) {
    GameDataWriter game = BaseGame();
    game.header.lastInstanceId = 100100;
    gamedata::Object controller;
    controller.name = "obj_controller";
    controller.depth = depth;
    controller.events.push_back({0, 0, {"frames = 0;" + create}});
    if (!step.empty()) controller.events.push_back({3, 0, {step}});
    controller.events.push_back(
        {8, 64,
         {"frames += 1; if (frames == " + std::to_string(frames) + ") { screen_save(\"shot.png\"); game_end(); }"}});
    game.objects.push_back(controller);
    gamedata::Object block;  // a red 8 x 4 sprite at depth 0
    block.name = "obj_block";
    block.sprite = 0;
    game.objects.push_back(block);
    gamedata::Room room;
    room.name = "rm_particles";
    room.width = room.height = kCanvas;
    room.speed = 1000;
    room.colour = 0x000000;
    room.instances = {{0, 0, 0, 100001, {""}}, {36, 52, 1, 100002, {""}}};
    game.rooms.push_back(room);
    PlayedDrawingGame::Play(game);
  }
};

// Manual updates of systems whose automatic update is off; a script prints the counts.
const char* const kCounting =
    "global.out = \"\";"
    "t = part_type_create(); part_type_life(t, 5, 5);"
    // A burst of 30 living 5 steps: all there after 4 updates, none after the 5th.
    "a = part_system_create(); part_system_automatic_update(a, 0);"
    "e = part_emitter_create(a); part_emitter_region(a, e, 10, 20, 10, 20, ps_shape_rectangle, ps_distr_linear);"
    "part_emitter_burst(a, e, t, 30);"
    "for (i = 0; i < 5; i += 1) { part_system_update(a); global.out += string(part_particles_count(a)) + \" \"; }"
    "show_debug_message(\"@burst \" + global.out); global.out = \"\";"
    // A stream of 3 a step: 3, 6, ... up to 15 living at once.
    "s = part_system_create(); part_system_automatic_update(s, 0);"
    "e = part_emitter_create(s); part_emitter_region(s, e, 0, 10, 0, 10, ps_shape_ellipse, ps_distr_gaussian);"
    "part_emitter_stream(s, e, t, 3);"
    "for (i = 0; i < 7; i += 1) { part_system_update(s); global.out += string(part_particles_count(s)) + \" \"; }"
    "show_debug_message(\"@stream \" + global.out); global.out = \"\";"
    // A stream of -1: one particle every step (a chance of 1 in 1).
    "part_emitter_stream(s, e, t, -1); part_particles_clear(s);"
    "for (i = 0; i < 3; i += 1) part_system_update(s);"
    "show_debug_message(\"@chance \" + string(part_particles_count(s)));"
    // Step and death spawns: parents living 1 step spawn one child each at death (number -1);
    // children spawned at every step of a long-lived parent die in the same pass (life 1).
    "child = part_type_create(); part_type_life(child, 10, 10);"
    "brief = part_type_create(); part_type_life(brief, 1, 1); part_type_death(brief, -1, child);"
    "d = part_system_create(); part_system_automatic_update(d, 0);"
    "part_particles_create(d, 5, 5, brief, 4); part_system_update(d);"
    "show_debug_message(\"@death \" + string(part_particles_count(d)));"
    // A destroyer over the whole region removes every particle; one with xmin = xmax none.
    "k = part_system_create(); part_system_automatic_update(k, 0);"
    "part_particles_create(k, 50, 50, t, 12);"
    "x0 = part_destroyer_create(k); part_destroyer_region(k, x0, 50, 50, 0, 100, ps_shape_rectangle);"
    "part_system_update(k); global.out += string(part_particles_count(k)) + \" \";"
    "x1 = part_destroyer_create(k); part_destroyer_region(k, x1, 40, 60, 40, 60, ps_shape_ellipse);"
    "part_system_update(k); global.out += string(part_particles_count(k));"
    "show_debug_message(\"@destroyer \" + global.out); global.out = \"\";"
    // A changer turns long-lived particles into a type living 3 steps.
    "long = part_type_create(); part_type_life(long, 100, 100);"
    "short = part_type_create(); part_type_life(short, 3, 3);"
    "c = part_system_create(); part_system_automatic_update(c, 0);"
    "part_particles_create(c, 20, 20, long, 10);"
    "g = part_changer_create(c); part_changer_region(c, g, 0, 40, 0, 40, ps_shape_diamond);"
    "part_changer_types(c, g, long, short); part_changer_kind(c, g, ps_change_all);"
    "for (i = 0; i < 5; i += 1) { part_system_update(c); global.out += string(part_particles_count(c)) + \" \"; }"
    "show_debug_message(\"@changer \" + global.out); global.out = \"\";";

TEST_P(ParticleGame, CountsAfterKnownNumbersOfUpdates) {
  Play(kCounting);
  EXPECT_EQ(lines,
            "burst 30 30 30 30 0 \n"
            "stream 3 6 9 12 15 15 15 \n"
            "chance 3\n"
            "death 4\n"
            "destroyer 12 0\n"
            "changer 10 10 10 0 0 \n")
      << output;
}

// The game step updates automatic systems after the end-step event: a burst made in the create
// event of particles living 3 steps is there in the first two steps and gone in the fourth.
TEST_P(ParticleGame, TheStepUpdatesAutomaticSystems) {
  Play(
      "t = part_type_create(); part_type_life(t, 3, 3); ps = part_system_create();"
      "part_particles_create(ps, 10, 10, t, 7);",
      "show_debug_message(\"@step \" + string(part_particles_count(ps)));", 5);
  EXPECT_EQ(lines, "step 7\nstep 7\nstep 7\nstep 0\n") << output;
}

// Where the one particle of system `ps` is: the system drawn into surface `sf` (pixel shape,
// white, a 2 x 2 dot whose lower right pixel is at the particle's position, truncated), then
// the first lit pixel found. Appends "x,y " to global.out.
std::string Probe() {
  return "surface_set_target(sf); draw_clear(c_black); part_system_drawit(ps); surface_reset_target();"
         "px = -9; py = -9;"
         "for (yy = 0; yy < 64 && px < -1; yy += 1) for (xx = 0; xx < 64 && px < -1; xx += 1)"
         "  if (surface_getpixel(sf, xx, yy) != 0) { px = xx + 1; py = yy + 1; }"
         "global.out += string(px) + \",\" + string(py) + \" \";";
}

// One particle at a time: a horizontal deflector with friction 1 sends it back and slows it to
// 1 a step; an additive attractor accelerates it, a non-additive one moves it by its pull each
// step, a linear one pulls by the fraction of its distance left.
TEST_P(ParticleGame, DeflectorsAndAttractorsMoveOneParticle) {
  Play(
      "global.out = \"\"; sf = surface_create(64, 64);"
      "t = part_type_create(); part_type_speed(t, 2, 2, 0, 0); part_type_direction(t, 0, 0, 0, 0);"
      "ps = part_system_create(); part_system_automatic_update(ps, 0); part_system_automatic_draw(ps, 0);"
      "part_particles_create(ps, 8, 10, t, 1);"
      "f = part_deflector_create(ps); part_deflector_region(ps, f, 15, 100, 0, 20);"
      "part_deflector_kind(ps, f, ps_deflect_horizontal); part_deflector_friction(ps, f, 1);"
      "for (i = 0; i < 6; i += 1) { part_system_update(ps);" + Probe() + "}"
      "show_debug_message(\"@deflected \" + global.out);"
      "still = part_type_create();"
      "for (k = 0; k < 3; k += 1) { global.out = \"\";"
      "  ps = part_system_create(); part_system_automatic_update(ps, 0); part_system_automatic_draw(ps, 0);"
      "  part_particles_create(ps, 20, 10, still, 1);"
      "  m = part_attractor_create(ps); part_attractor_position(ps, m, 30, 10);"
      "  if (k == 0) part_attractor_force(ps, m, 1, 100, ps_force_constant, 1);"
      "  if (k == 1) part_attractor_force(ps, m, 1, 100, ps_force_constant, 0);"
      "  if (k == 2) part_attractor_force(ps, m, 1, 20, ps_force_linear, 1);"
      "  for (i = 0; i < 3; i += 1) { part_system_update(ps);" + Probe() + "}"
      "  show_debug_message(\"@attracted \" + global.out); }");
  EXPECT_EQ(lines,
            "deflected 10,10 12,10 14,10 12,10 11,10 10,10 \n"
            "attracted 21,10 23,10 26,10 \n"
            "attracted 21,10 22,10 23,10 \n"
            "attracted 20,10 21,10 23,10 \n")
      << output;
}

// Unknown systems, types and actors, negative and huge counts: nothing happens, the answers
// are 0 or -1, and the game goes on.
TEST_P(ParticleGame, BadIndicesAndCountsDoNothing) {
  Play(
      "show_debug_message(\"@\" + string(part_type_exists(-1)) + \" \" + string(part_system_exists(5)) + \" \""
      " + string(part_emitter_create(99)) + \" \" + string(part_particles_count(99)) + \" \""
      " + string(part_attractor_exists(99, 0)));"
      "part_system_update(99); part_system_drawit(-3); part_type_life(99, 1, 2); part_emitter_stream(99, 0, 0, 5);"
      "part_particles_create(99, 0, 0, 0, 5);"
      "t = part_type_create(); ps = part_system_create(); e = part_emitter_create(ps);"
      "part_emitter_burst(ps, e + 1, t, 10); part_emitter_burst(ps, e, t + 7, 10);"
      "part_particles_create(ps, 0, 0, t, -5); part_particles_create(ps, 0, 0, t, 0);"
      "part_emitter_burst(ps, e, t, -1);"
      "show_debug_message(\"@small \" + string(part_particles_count(ps)));"
      "part_particles_clear(ps); part_emitter_burst(ps, e, t, 1000000000000);"
      "show_debug_message(\"@indefinite \" + string(part_particles_count(ps) <= 1));"
      "part_particles_create(ps, 0, 0, t, 2000000000);"
      "show_debug_message(\"@huge \" + string(part_particles_count(ps)));"
      "part_system_destroy(ps); show_debug_message(\"@destroyed \" + string(part_particles_count(ps)));",
      "", 1);
  EXPECT_EQ(lines, "0 0 -1 0 0\nsmall 1\nindefinite 1\nhuge 1000000\ndestroyed 0\n") << output;
}

// The built-in effects make their particles in two systems of their own (made on first use):
// 9 drops of large rain, 75 sparks of a small firework, 21 particles of an explosion.
TEST_P(ParticleGame, EffectsMakeTheirParticles) {
  Play(
      "effect_create_above(ef_rain, 500, 500, 2, c_white);"
      "effect_create_below(ef_firework, 30, 30, 0, c_red);"
      "effect_create_above(ef_explosion, 30, 30, 1, c_yellow);"
      "effect_create_above(12, 30, 30, 1, c_yellow);"
      "show_debug_message(\"@\" + string(part_particles_count(0)) + \" \" + string(part_particles_count(1)));"
      "effect_clear(); show_debug_message(\"@\" + string(part_particles_count(0) + part_particles_count(1)));",
      "", 1);
  EXPECT_EQ(lines, "75 30\n0\n") << output;
}

// Shapes drawn among the instances: a blue disk behind the block (depth 10), additive green and
// red squares overlapping in yellow in front of it, a white star, a blue ring, a sprite.
TEST_P(ParticleGame, ShapesAndBlendsAreDrawnAtTheirDepth) {
  Play(
      "behind = part_system_create(); part_system_depth(behind, 10); part_system_automatic_update(behind, 0);"
      "front = part_system_create(); part_system_depth(front, -10); part_system_automatic_update(front, 0);"
      "disk = part_type_create(); part_type_shape(disk, pt_shape_disk); part_type_size(disk, 0.25, 0.25, 0, 0);"
      "part_type_color1(disk, c_blue); part_particles_create(behind, 40, 52, disk, 1);"
      "sq = part_type_create(); part_type_shape(sq, pt_shape_square); part_type_size(sq, 0.2, 0.2, 0, 0);"
      "part_type_blend(sq, 1);"
      "part_particles_create_color(front, 10, 10, sq, c_lime, 1);"
      "part_particles_create_color(front, 16, 16, sq, c_red, 1);"
      "star = part_type_create(); part_type_shape(star, pt_shape_star); part_type_size(star, 0.3, 0.3, 0, 0);"
      "part_particles_create(front, 48, 14, star, 1);"
      "ring = part_type_create(); part_type_shape(ring, pt_shape_ring); part_type_size(ring, 0.3, 0.3, 0, 0);"
      "part_type_color1(ring, c_blue); part_type_alpha1(ring, 0.5); part_particles_create(front, 14, 44, ring, 1);"
      "spr = part_type_create(); part_type_sprite(spr, spr_bar, 0, 0, 0); part_type_size(spr, 2, 2, 0, 0);"
      "part_particles_create(front, 44, 34, spr, 1);",
      "", 2);
  ExpectGolden("particle_shapes_and_blends", shot, width, height);
  // The block covers the blue disk; the disk shows around it.
  EXPECT_EQ(At(33, 51), 0xFFFF0000u);
  EXPECT_EQ(At(40, 46), 0xFF0000FFu);
  // Additive: green + red = yellow where the squares overlap.
  EXPECT_EQ(At(14, 14), 0xFFFFFF00u);
  EXPECT_EQ(At(6, 6), 0xFF00FF00u);
  EXPECT_EQ(At(0, 0), 0xFF000000u);
}

INSTANTIATE_GAME_FORMS(ParticleGame);

}  // namespace

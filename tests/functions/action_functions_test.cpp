// The action built-ins in process: the relative option over the motion, timing and score
// actions' arguments, action_move's direction string, the variable comparison, the dice and
// the registration of the family.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "functions/action_functions.h"
#include "functions/builtin_by_name.h"
#include "functions/registry.h"
#include "runner/instance.h"
#include "runner/run_globals.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "support/console_capture.h"
#include "support/function_table_guard.h"

namespace {

class Actions : public ::testing::Test {
 protected:
  FunctionTableGuard functions_;  // put back after TearDown
  void SetUp() override {
    Function_FreeAll();
    Functions_RegisterAll();
    Run_Global_Init();
  }
  void TearDown() override {
    Action_Relative = false;
  }

  ScriptValue Act(const char* name, CInstance* self, std::initializer_list<ScriptValue> args) {
    ScriptValue result(-7.0);
    EXPECT_TRUE(Builtin_CallByName(name, result, self, self, args)) << name;
    return result;
  }
};

ScriptValue R(double value) { return ScriptValue(value); }
ScriptValue S(const char* text) { return ScriptValue(std::string(text)); }

// One action on an instance that starts at (100, 50) with hspeed 2, vspeed 2 (so direction
// 315 and speed 2.83), friction 0.25, gravity 0.25 towards 270, path position 0.5 and speed 1,
// time line at 10 with speed 1, alarm 0 at 3 and alarm 1 unset; then one value read back.
struct RelativeCase {
  const char* action;
  std::vector<double> args;
  bool relative;
  const char* what;
  std::function<double(const CInstance&)> read;
  double expected;
};

TEST_F(Actions, RelativeOptionAddsTheInstancesValuesToTheNamedArgumentsOnly) {
  auto x = [](const CInstance& i) { return double{i.x}; };
  auto y = [](const CInstance& i) { return double{i.y}; };
  auto hspeed = [](const CInstance& i) { return double{i.hspeed}; };
  auto vspeed = [](const CInstance& i) { return double{i.vspeed}; };
  auto speed = [](const CInstance& i) { return double{i.speed}; };
  auto direction = [](const CInstance& i) { return double{i.direction}; };
  auto gravity = [](const CInstance& i) { return double{i.gravity}; };
  auto gravityDirection = [](const CInstance& i) { return double{i.gravity_direction}; };
  auto friction = [](const CInstance& i) { return double{i.friction}; };
  auto pathPosition = [](const CInstance& i) { return double{i.path_position}; };
  auto pathSpeed = [](const CInstance& i) { return double{i.path_speed}; };
  auto timeline = [](const CInstance& i) { return double{i.timeline_position}; };
  auto timelineSpeed = [](const CInstance& i) { return double{i.timeline_speed}; };
  auto alarm0 = [](const CInstance& i) { return double(i.GetAlarm(0)); };
  auto alarm1 = [](const CInstance& i) { return double(i.GetAlarm(1)); };
  auto score = [](const CInstance&) { return double(Run_Globals.score); };
  auto lives = [](const CInstance&) { return double(Run_Globals.lives); };
  auto health = [](const CInstance&) { return Run_Globals.health; };
  const RelativeCase cases[] = {
      {"action_move_to", {10, 20}, false, "x", x, 10},
      {"action_move_to", {10, 20}, false, "y", y, 20},
      {"action_move_to", {10, 20}, true, "x", x, 110},
      {"action_move_to", {10, 20}, true, "y", y, 70},
      {"action_set_hspeed", {3}, false, "hspeed", hspeed, 3},
      {"action_set_hspeed", {3}, true, "hspeed", hspeed, 5},
      {"action_set_vspeed", {-1}, false, "vspeed", vspeed, -1},
      {"action_set_vspeed", {-1}, true, "vspeed", vspeed, 1},
      {"action_set_gravity", {90, 0.5}, false, "gravity direction", gravityDirection, 90},
      {"action_set_gravity", {90, 0.5}, true, "gravity direction", gravityDirection, 360},
      {"action_set_gravity", {90, 0.5}, true, "gravity", gravity, 0.75},
      {"action_set_friction", {0.5}, false, "friction", friction, 0.5},
      {"action_set_friction", {0.5}, true, "friction", friction, 0.75},
      // Direction then speed; relative: the motion is added as a vector (2, 2) + (0, -4).
      {"action_set_motion", {90, 4}, false, "speed", speed, 4},
      {"action_set_motion", {90, 4}, false, "vspeed", vspeed, -4},
      {"action_set_motion", {90, 4}, true, "hspeed", hspeed, 2},
      {"action_set_motion", {90, 4}, true, "vspeed", vspeed, -2},
      // The point is relative, the speed never is.
      {"action_move_point", {100, 0, 3}, false, "direction", direction, 90},
      {"action_move_point", {100, 0, 3}, true, "direction", direction, 0},
      {"action_move_point", {100, 0, 3}, true, "speed", speed, 3},
      {"action_path_position", {0.25}, false, "path position", pathPosition, 0.25},
      {"action_path_position", {0.25}, true, "path position", pathPosition, 0.75},
      {"action_path_speed", {2}, true, "path speed", pathSpeed, 3},
      // The position is rounded before the relative addition.
      {"action_set_timeline_position", {2.6}, false, "time line position", timeline, 3},
      {"action_set_timeline_position", {2.6}, true, "time line position", timeline, 13},
      {"action_set_timeline_speed", {0.5}, true, "time line speed", timelineSpeed, 1.5},
      {"action_set_alarm", {5, 0}, false, "alarm 0", alarm0, 5},
      {"action_set_alarm", {5, 0}, true, "alarm 0", alarm0, 8},
      // An unset alarm takes the steps as they are.
      {"action_set_alarm", {5, 1}, true, "alarm 1", alarm1, 5},
      {"action_set_score", {10}, false, "score", score, 10},
      {"action_set_score", {10}, true, "score", score, 15},
      {"action_set_life", {2}, true, "lives", lives, 5},
      {"action_set_health", {-20}, true, "health", health, 30},
  };
  for (const RelativeCase& c : cases) {
    CInstance self(100.0f, 50.0f, 100001, 0, false);
    self.SetHSpeed(2.0f);
    self.SetVSpeed(2.0f);
    self.friction = 0.25f;
    self.gravity = 0.25f;
    self.path_position = 0.5f;
    self.path_speed = 1.0f;
    self.timeline_position = 10.0f;
    self.SetAlarm(0, 3);
    Run_Globals.score = 5;
    Run_Globals.lives = 3;
    Run_Globals.health = 50.0;
    Action_Relative = c.relative;
    std::vector<ScriptValue> args;
    for (double a : c.args) args.emplace_back(a);
    const int32_t id = [&] {
      int32_t found = -1;
      Function_Find(c.action, found);
      return found;
    }();
    ASSERT_GE(id, 0) << c.action;
    ScriptValue result;
    Function_Call(id, result, &self, &self, static_cast<int>(args.size()), args.data());
    EXPECT_NEAR(c.read(self), c.expected, 1e-4) << c.action << (c.relative ? " relative: " : ": ") << c.what;
  }
}

TEST_F(Actions, MoveTakesADirectionFromTheKeypadString) {
  CInstance self(0.0f, 0.0f, 100001, 0, false);
  self.SetHSpeed(1.0f);
  {
    ConsoleCapture console;
    Act("action_move", &self, {S("00000000"), R(5)});
    EXPECT_NE(console.Text().find("Wrong argument to action_move()."), std::string::npos);
  }
  // Nine '0's change nothing, not even the speed.
  Act("action_move", &self, {S("000000000"), R(5)});
  EXPECT_FLOAT_EQ(self.speed, 1.0f);
  // The only '1' is the middle cell: stop.
  Act("action_move", &self, {S("000010000"), R(5)});
  EXPECT_FLOAT_EQ(self.speed, 0.0f);
  // Only the top-right cell: 45 degrees; relative adds the speed.
  Act("action_move", &self, {S("000000001"), R(3)});
  EXPECT_FLOAT_EQ(self.direction, 45.0f);
  EXPECT_FLOAT_EQ(self.speed, 3.0f);
  Action_Relative = true;
  Act("action_move", &self, {S("010000000"), R(2)});
  EXPECT_FLOAT_EQ(self.direction, 270.0f);
  EXPECT_FLOAT_EQ(self.speed, 5.0f);
}

TEST_F(Actions, QuestionsAnswerOneOrZero) {
  struct Case {
    ScriptValue a, b;
    double op, expected;
  };
  const Case cases[] = {
      {S("abc"), S("abd"), 1, 1}, {S("abc"), S("abd"), 2, 0}, {S("b"), S("abc"), 2, 1},
      {S("\xC3"), S("a"), 2, 1},  // bytes compare unsigned
      {S("x"), S("x"), 0, 1},     {S("x"), S("x"), 3, 1},     {R(2), R(3), 3, 1},
      {R(3), R(3), 4, 1},         {R(3), R(2.5), 1, 0},       {R(0.1 + 0.2), R(0.3), 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Act("action_if_variable", nullptr, {c.a, c.b, R(c.op)}).real, c.expected)
        << c.a.Text() << c.a.real << " op " << c.op << " " << c.b.Text() << c.b.real;
  }
  {
    ConsoleCapture console;
    EXPECT_EQ(Act("action_if_variable", nullptr, {S("3"), R(3), R(0)}).real, 0.0);
    EXPECT_NE(console.Text().find("Cannot compare arguments."), std::string::npos);
  }
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Act("action_if_dice", nullptr, {R(1)}).real, 1.0);
  int ones = 0;
  for (int i = 0; i < 2000; ++i) ones += Act("action_if_dice", nullptr, {R(2)}).real == 1.0 ? 1 : 0;
  EXPECT_GT(ones, 850);
  EXPECT_LT(ones, 1150);
  EXPECT_EQ(Act("action_if", nullptr, {R(0.25)}).real, 0.25);
  Run_Globals.score = 10;
  EXPECT_EQ(Act("action_if_score", nullptr, {R(11), R(1)}).real, 1.0);
  EXPECT_EQ(Act("action_if_score", nullptr, {R(10), R(0)}).real, 1.0);
  EXPECT_EQ(Act("action_if_score", nullptr, {R(10), R(2)}).real, 0.0);
  // A real shows as %e in the message box.
  ConsoleCapture console;
  EXPECT_EQ(Act("action_message", nullptr, {R(1)}).real, 1.0);
  EXPECT_NE(console.Text().find("1.000000e+00"), std::string::npos) << console.Text();
}

TEST_F(Actions, AllActionsAreRegisteredInOrderAfterTheDrawingFamily) {
  int32_t first = -1, last = -1, graphicsLast = -1;
  ASSERT_TRUE(Function_Find("action_path_old", first));
  ASSERT_TRUE(Function_Find("action_highscore", last));
  ASSERT_TRUE(Function_Find("draw_background_tiled_ext", graphicsLast));
  EXPECT_EQ(last - first + 1, 131);
  EXPECT_LT(graphicsLast, first);
  for (int32_t id = first; id <= last; ++id) EXPECT_EQ(Function_Get(id)->name.rfind("action_", 0), 0u);
  struct Expected {
    const char* name;
    int32_t argc;
  };
  for (const Expected& e : {Expected{"action_move", 2}, {"action_path", 4}, {"action_create_object_random", 6},
                            {"action_sleep", 2}, {"action_execute_script", 6}, {"action_if_number", 3},
                            {"action_highscore_show", 11}, {"action_partemit_stream", 3}, {"action_cd_play", 2},
                            {"action_draw_variable", 3}, {"action_draw_font_old", 6}}) {
    int32_t id = -1;
    ASSERT_TRUE(Function_Find(e.name, id)) << e.name;
    EXPECT_EQ(Function_ArgCount(id), e.argc) << e.name;
  }
}

// The particle actions reach the particle family by name: with stand-ins registered in its
// place, each action's calls and the slots' indices show.
std::vector<std::string> g_ParticleCalls;

void RecordCall(const char* name, ScriptValue& result, int argc, ScriptValue* args, double answer) {
  std::string call = std::string(name) + "(";
  for (int i = 0; i < argc; ++i) {
    call += (i > 0 ? "," : "") + std::to_string(static_cast<int>(args[i].real));
  }
  g_ParticleCalls.push_back(call + ")");
  result.SetReal(answer);
}

template <const char* Name, int Answer>
void F_StandIn(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  RecordCall(Name, result, argc, args, Answer);
}

constexpr char kSystemCreate[] = "part_system_create", kSystemClear[] = "part_system_clear",
               kSystemDepth[] = "part_system_depth", kSystemDestroy[] = "part_system_destroy",
               kTypeCreate[] = "part_type_create", kTypeShape[] = "part_type_shape",
               kTypeSprite[] = "part_type_sprite", kTypeSize[] = "part_type_size",
               kEmitterCreate[] = "part_emitter_create", kEmitterRegion[] = "part_emitter_region",
               kEmitterBurst[] = "part_emitter_burst", kEmitterDestroy[] = "part_emitter_destroy";

TEST(ActionParticles, ReachThePartBuiltInsByNameAndKeepTheirSlots) {
  FunctionTableGuard functions;
  Function_FreeAll();
  InitActionFunctions();
  {
    // Before the particle family exists: no system, so no emitter either.
    ConsoleCapture console;
    ScriptValue result;
    Builtin_CallByName("action_partsyst_create", result, nullptr, nullptr, {R(0)});
    Builtin_CallByName("action_partemit_burst", result, nullptr, nullptr, {R(0), R(0), R(5)});
    EXPECT_TRUE(console.Contains("The particle emitter must first be created.")) << console.Text();
  }
  const struct {
    const char* name;
    BuiltinFunction standIn;
    int32_t argc;
  } standIns[] = {{kSystemCreate, F_StandIn<kSystemCreate, 7>, 0},   {kSystemClear, F_StandIn<kSystemClear, 0>, 1},
                  {kSystemDepth, F_StandIn<kSystemDepth, 0>, 2},     {kSystemDestroy, F_StandIn<kSystemDestroy, 0>, 1},
                  {kTypeCreate, F_StandIn<kTypeCreate, 20>, 0},      {kTypeShape, F_StandIn<kTypeShape, 0>, 2},
                  {kTypeSprite, F_StandIn<kTypeSprite, 0>, 5},       {kTypeSize, F_StandIn<kTypeSize, 0>, 5},
                  {kEmitterCreate, F_StandIn<kEmitterCreate, 30>, 1}, {kEmitterRegion, F_StandIn<kEmitterRegion, 0>, 8},
                  {kEmitterBurst, F_StandIn<kEmitterBurst, 0>, 4},   {kEmitterDestroy, F_StandIn<kEmitterDestroy, 0>, 2}};
  for (const auto& s : standIns) Function_Add(s.name, s.standIn, s.argc);
  auto act = [](const char* name, std::initializer_list<ScriptValue> args) {
    g_ParticleCalls.clear();
    ScriptValue result;
    EXPECT_TRUE(Builtin_CallByName(name, result, nullptr, nullptr, args)) << name;
    std::string calls;
    for (const std::string& call : g_ParticleCalls) calls += call + " ";
    return calls;
  };
  EXPECT_EQ(act("action_partsyst_create", {R(-5)}),
            "part_system_create() part_system_clear(7) part_system_depth(7,-5) ");
  EXPECT_EQ(act("action_parttype_create", {R(2), R(1), R(-1), R(3), R(4), R(0)}),
            "part_type_create() part_type_shape(20,1) part_type_sprite(20,-1,1,0,0) part_type_size(20,3,4,0,0) ");
  // The slot keeps its type: no second part_type_create.
  EXPECT_EQ(act("action_parttype_create", {R(2), R(1), R(-1), R(3), R(4), R(0)}),
            "part_type_shape(20,1) part_type_sprite(20,-1,1,0,0) part_type_size(20,3,4,0,0) ");
  EXPECT_EQ(act("action_partemit_create", {R(1), R(2), R(0), R(10), R(5), R(15)}),
            "part_emitter_create(7) part_emitter_region(7,30,0,10,5,15,2,0) ");
  EXPECT_EQ(act("action_partemit_burst", {R(1), R(2), R(5)}), "part_emitter_burst(7,30,20,5) ");
  // Slots outside 0 to 15 are ignored.
  EXPECT_EQ(act("action_partemit_burst", {R(16), R(2), R(5)}), "");
  EXPECT_EQ(act("action_parttype_create", {R(-1), R(1), R(-1), R(3), R(4), R(0)}), "");
  EXPECT_EQ(act("action_partemit_destroy", {R(1)}), "part_emitter_destroy(7,30) ");
  EXPECT_EQ(act("action_partemit_destroy", {R(1)}), "");
  EXPECT_EQ(act("action_partsyst_destroy", {}), "part_system_destroy(7) ");
  EXPECT_EQ(act("action_partsyst_destroy", {}), "");
}

}  // namespace

// The physics layer in process: fixture ids and polygon points, the polygon checks that keep
// Box2D from aborting, the debug colours, the built-ins' reports without a room or world, and
// the checks on a room's physics read from a saved game.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "functions/physics_functions.h"
#include "platform/stream.h"
#include "runner/physics_objects.h"
#include "runner/physics_saved.h"
#include "runner/physics_world.h"
#include "script/function_table.h"
#include "support/console_capture.h"
#include "support/function_table_guard.h"

namespace {

TEST(Physics, FixtureIdsCountFromOneAndAreNeverReused) {
  const int32_t first = PhysicsFixture_Create().id;
  const int32_t second = PhysicsFixture_Create().id;
  EXPECT_EQ(second, first + 1);
  EXPECT_TRUE(PhysicsFixture_Delete(second));
  EXPECT_FALSE(PhysicsFixture_Delete(second));
  EXPECT_EQ(PhysicsFixture_Find(second), nullptr);
  EXPECT_EQ(PhysicsFixture_Create().id, second + 1);
}

TEST(Physics, PolygonTakesEightPointsInClockwiseScreenOrder) {
  ConsoleCapture console;
  CPhysicsFixture& f = PhysicsFixture_Create();
  EXPECT_FALSE(f.AddPoint(0, 0)) << "not a polygon yet";
  f.SetPolygonShape();
  // Clockwise on screen (y down): accepted.
  EXPECT_TRUE(f.AddPoint(0, 0));
  EXPECT_TRUE(f.AddPoint(1, 0));
  EXPECT_TRUE(f.AddPoint(0, 1));
  EXPECT_FALSE(console.Contains("concave"));
  for (int i = 3; i < 8; ++i) f.AddPoint(0, 1);
  EXPECT_FALSE(f.AddPoint(5, 5)) << "a ninth point";
  EXPECT_EQ(f.points.size(), 8u);

  CPhysicsFixture& g = PhysicsFixture_Create();
  g.SetPolygonShape();
  g.AddPoint(0, 0);
  g.AddPoint(0, 1);
  EXPECT_FALSE(g.AddPoint(1, 0));
  EXPECT_EQ(g.points.size(), 3u) << "the point stays added";
  EXPECT_TRUE(console.Contains("ERROR: The polygon shape for fixture " + std::to_string(g.id) +
                               " is concave or ordered anti-clockwise"));
}

TEST(Physics, PolygonsBox2DWouldRefuseAreFoundFirst) {
  struct Case {
    std::vector<PhysicsPoint> points;
    bool usable;
  };
  const Case cases[] = {
      {{{0, 0}, {1, 0}, {0, 1}}, true},
      {{{0, 1}, {1, 0}, {0, 0}}, true},  // any order: the hull is taken
      {{{0, 0}, {1, 0}}, false},
      {{{0, 0}, {1, 0}, {2, 0}}, false},                       // on one line
      {{{0, 0}, {0.001f, 0}, {0, 0.001f}}, false},             // welded together
      {{{0, 0}, {0.0001f, 0}, {0, 0.0001f}, {1, 1}}, false},   // three welded, two left
      {{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5f, 0.5f}}, true},  // an inner point is dropped
      {{{0, 0}, {1, 0}, {0, NAN}}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PhysicsPolygon_Problem(c.points).empty(), c.usable) << c.points.size() << " points";
  }
}

TEST(Physics, FullDebugColourComponentsStayFull) {
  EXPECT_EQ(PhysicsDebug_ColourByte(1.0f), 255);
  EXPECT_EQ(PhysicsDebug_ColourByte(0.5f), 128);
  EXPECT_EQ(PhysicsDebug_ColourByte(0.0f), 0);
  EXPECT_EQ(PhysicsDebug_ColourByte(1.5f), 255);
  EXPECT_EQ(PhysicsDebug_ColourByte(-0.5f), 0);
}

ScriptValue Call(const char* name, std::vector<ScriptValue> args) {
  int32_t id = -1;
  EXPECT_TRUE(Function_Find(name, id)) << name;
  ScriptValue result;
  if (const BuiltinFunctionEntry* entry = Function_Get(id)) {
    entry->implementation(result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
  }
  return result;
}

TEST(Physics, BuiltInsWithoutARoomOrWorldReport) {
  FunctionTableGuard functions;
  Function_FreeAll();
  InitPhysicsFunctions();
  const ScriptValue r = ScriptValue::Real(1);
  const std::pair<std::vector<std::pair<const char*, std::vector<ScriptValue>>>, const char*> cases[] = {
      {{{"physics_world_create", {r}}, {"physics_world_gravity", {r, r}}}, "No room is available to create a physics world for"},
      {{{"physics_pause_enable", {r}}}, "physics_pause_enable() The current room does not have a physics world representation"},
      {{{"physics_fixture_set_density", {ScriptValue::Real(-7), r}}}, "The physics fixture does not exist"},
      {{{"physics_joint_set_value", {ScriptValue::Real(-7), r, r}}}, "A joint does not exist"},
      {{{"physics_apply_torque", {r}}}, "The instance does not have an associated physics representation"},
  };
  for (const auto& [calls, message] : cases) {
    ConsoleCapture console;
    for (const auto& [name, args] : calls) Call(name, args);
    EXPECT_TRUE(console.Contains(message)) << message << "\n" << console.Text();
  }
  EXPECT_EQ(Call("physics_joint_get_value", {ScriptValue::Real(-7), r}).real, 0.0);
}

// A room's physics section as a saved game holds it, with one body; the values are given.
std::vector<uint8_t> WorldSection(double scale, double gravityY, int32_t count, double bodyX) {
  CStream s;
  s.WriteBoolean(true);
  s.WriteReal(scale);
  s.WriteInteger(60);
  s.WriteInteger(8);
  s.WriteBoolean(true);
  s.WriteReal(0.0);
  s.WriteReal(gravityY);
  s.WriteInteger(count);
  s.WriteInteger(100001);
  for (double v : {bodyX, 2.0, 0.5, 0.25, -1.0, 3.0}) s.WriteReal(v);
  for (bool flag : {false, true, true, false}) s.WriteBoolean(flag);
  return std::vector<uint8_t>(s.GetBuffer(), s.GetBuffer() + s.GetPosition());
}

bool ReadSection(const std::vector<uint8_t>& bytes, std::optional<SavedPhysicsWorld>& world) {
  CStream s;
  s.Assign(bytes.data(), static_cast<int64_t>(bytes.size()));
  return PhysicsSaved_Read(s, world);
}

TEST(Physics, SavedWorldsAreReadBackAndDamageIsRefused) {
  std::optional<SavedPhysicsWorld> world;
  ASSERT_TRUE(ReadSection(WorldSection(0.05, 9.5, 1, 1.5), world));
  ASSERT_TRUE(world.has_value());
  EXPECT_EQ(world->scale, 0.05f);
  EXPECT_EQ(world->updateSpeed, 60);
  EXPECT_EQ(world->iterations, 8);
  EXPECT_TRUE(world->paused);
  EXPECT_EQ(world->gravityY, 9.5f);
  ASSERT_EQ(world->bodies.size(), 1u);
  const SavedPhysicsBody& body = world->bodies[0];
  EXPECT_EQ(body.instance, 100001);
  EXPECT_EQ((std::vector<float>{body.x, body.y, body.angle, body.vx, body.vy, body.spin}),
            (std::vector<float>{1.5f, 2.0f, 0.5f, 0.25f, -1.0f, 3.0f}));
  EXPECT_EQ((std::vector<bool>{body.awake, body.bullet, body.fixedRotation, body.active}),
            (std::vector<bool>{false, true, true, false}));
  // A room without a world holds only its flag.
  ASSERT_TRUE(ReadSection({0, 0, 0, 0}, world));
  EXPECT_FALSE(world.has_value());

  std::vector<uint8_t> cut = WorldSection(0.1, 10, 1, 0);
  cut.pop_back();
  const std::pair<const char*, std::vector<uint8_t>> damaged[] = {
      {"a scale of 0", WorldSection(0, 10, 1, 0)},
      {"a scale below 0", WorldSection(-0.1, 10, 1, 0)},
      {"a scale whose inverse overflows", WorldSection(1e-40, 10, 1, 0)},
      {"gravity that is not a number", WorldSection(0.1, NAN, 1, 0)},
      {"a body beyond single precision", WorldSection(0.1, 10, 1, 1e39)},
      {"more bodies than the bytes hold", WorldSection(0.1, 10, 2, 0)},
      {"a count below 0", WorldSection(0.1, 10, -1, 0)},
      {"cut short", cut},
      {"nothing", {}},
  };
  for (const auto& [what, bytes] : damaged) EXPECT_FALSE(ReadSection(bytes, world)) << what;
}

}  // namespace

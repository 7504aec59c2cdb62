// The collision queries of a running room, which look only at the instances its grid puts near
// the place asked about, against a walk of every selected instance, while instances move,
// change shape and object, leave play and arrive.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "data/event_lists.h"
#include "data/objects.h"
#include "data/rooms.h"
#include "platform/conversions.h"
#include "runner/commands.h"
#include "runner/events.h"
#include "runner/game_step.h"
#include "runner/instance.h"
#include "runner/instance_list.h"
#include "runner/room_start.h"
#include "script/variable_access.h"
#include "support/game_data_writer.h"
#include "support/in_process_game.h"

namespace {

constexpr int32_t kParent = 0, kChild = 1, kWall = 2, kGhost = 3;

// Sprites: 0 a 16 x 16 box, 1 a 48 x 8 bar with its origin at its centre.
GameDataWriter CrowdGame(uint32_t seed) {
  GameDataWriter game;
  for (auto [w, h, xo, yo] : {std::array<int32_t, 4>{16, 16, 0, 0}, std::array<int32_t, 4>{48, 8, 24, 4}}) {
    gamedata::Sprite s;
    s.name = "spr_" + std::to_string(game.sprites.size());
    s.width = w;
    s.height = h;
    s.bboxRight = w - 1;
    s.bboxBottom = h - 1;
    s.bboxMode = 2;
    s.xorigin = xo;
    s.yorigin = yo;
    s.frames = {static_cast<int32_t>(game.texturePageEntries.size())};
    game.sprites.push_back(s);
    game.texturePageEntries.push_back({0, 0, 16, 16, 0, 0, 16, 16, 16, 16, 0});
  }
  game.textures.push_back(gamedata::RawImage(16, 16, std::vector<uint8_t>(16 * 16 * 4, 255)));
  gamedata::Object parent, child, wall, ghost;
  parent.name = "obj_parent";
  parent.sprite = 0;
  child.name = "obj_child";
  child.sprite = 1;
  child.parent = kParent;
  child.depth = -5;
  wall.name = "obj_wall";
  wall.sprite = 0;
  wall.solid = true;
  wall.depth = 10;
  ghost.name = "obj_ghost";
  game.objects = {parent, child, wall, ghost};
  // Collision events that move the instance and fold the order of meetings into image_index.
  const std::string meet = "image_index = (image_index * 31 + other.id) mod 1000003; x += 2;";
  game.objects[kParent].events.push_back({4, kWall, {meet}});
  game.objects[kWall].events.push_back({4, kChild, {meet}});
  game.objects[kChild].events.push_back({4, kChild, {meet}});
  gamedata::Room room;
  room.name = "rm_crowd";
  std::mt19937 random(seed);
  const int32_t count = 150;
  game.header.lastInstanceId = 100000 + count;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t x = static_cast<int32_t>(random() % 400) - 40;
    const int32_t y = static_cast<int32_t>(random() % 300) - 40;
    room.instances.push_back({x, y, static_cast<int32_t>(random() % 4), 100001 + i, {""}});
  }
  game.rooms.push_back(room);
  return game;
}

// The first selected instance in play, other than self, that self would meet at (x, y).
CInstance* WalkFirst(CInstance& self, float x, float y, int32_t object, bool solidOnly) {
  const float oldX = self.x, oldY = self.y;
  self.SetPosition(x, y);
  CInstance* found = nullptr;
  Command_ForEachSelected(object, [&](CInstance& other) {
    if (&other == &self || (solidOnly && !other.solid) || !self.Collision_Instance(other, true)) return true;
    found = &other;
    return false;
  });
  self.SetPosition(oldX, oldY);
  return found;
}

// The first selected instance in play, other than self when notme, that passes the test.
template <typename Test>
CInstance* Walk(int32_t object, CInstance* self, bool notme, Test test) {
  CInstance* found = nullptr;
  Command_ForEachSelected(object, [&](CInstance& other) {
    if ((notme && &other == self) || !test(other)) return true;
    found = &other;
    return false;
  });
  return found;
}

std::vector<CInstance*> Active() {
  std::vector<CInstance*> all;
  for (CInstance* at = Run_CurrentRoom()->active.first; at != nullptr; at = at->next) all.push_back(at);
  return all;
}

TEST(InstanceGrid, QueriesAnswerAsAWalkOfEveryInstance) {
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    InProcessGame game;
    ASSERT_TRUE(game.Load(CrowdGame(seed)) && game.Start());
    std::mt19937 random(seed * 7919);
    auto pick = [&](int32_t n) { return static_cast<int32_t>(random() % static_cast<uint32_t>(n)); };
    const int32_t objects[] = {kSelectAll, kParent, kChild, kWall, kGhost};
    int32_t hits = 0;
    for (int round = 0; round < 40; ++round) {
      std::vector<CInstance*> all = Active();
      ASSERT_FALSE(all.empty());
      // Queries from random instances to random places, near and far.
      for (int q = 0; q < 60; ++q) {
        CInstance& self = *all[static_cast<size_t>(pick(static_cast<int32_t>(all.size())))];
        const float x = static_cast<float>(pick(500) - 80) + (q % 3 == 0 ? 0.5f : 0.0f);
        const float y = static_cast<float>(pick(400) - 80);
        const int32_t object = objects[pick(5)];
        CInstance* const first = WalkFirst(self, x, y, object, false);
        hits += first != nullptr ? 1 : 0;
        ASSERT_EQ(Command_InstancePlace(self, x, y, object), first)
            << "seed " << seed << " round " << round << " query " << q;
        ASSERT_EQ(Command_IsMeeting(self, x, y, object), WalkFirst(self, x, y, object, false) != nullptr);
        ASSERT_EQ(Command_IsFree(self, x, y), WalkFirst(self, x, y, kSelectAll, true) == nullptr);
        ASSERT_EQ(Command_IsEmpty(self, x, y), WalkFirst(self, x, y, kSelectAll, false) == nullptr);
        // The shapes asked about directly: a point (on and between pixels), a rectangle, an
        // ellipse and a line, given either way round.
        const float x2 = x + static_cast<float>(pick(120) - 60), y2 = y + static_cast<float>(pick(120) - 60);
        const bool notme = q % 2 == 0;
        ASSERT_EQ(Command_CollisionPoint(&self, x, y, object, false, notme),
                  Walk(object, &self, notme, [&](CInstance& i) { return i.Collision_Point(x, y, false); }));
        ASSERT_EQ(Command_InstancePosition(x, y, object),
                  Walk(object, nullptr, false, [&](CInstance& i) { return i.Collision_Point(x, y, true); }));
        const int32_t l = Conv_RoundToInt32(x), t = Conv_RoundToInt32(y);
        const int32_t r = Conv_RoundToInt32(x2), b = Conv_RoundToInt32(y2);
        ASSERT_EQ(Command_CollisionRectangle(&self, x, y, x2, y2, object, false, notme),
                  Walk(object, &self, notme, [&](CInstance& i) { return i.Collision_Rectangle(l, t, r, b, false); }));
        ASSERT_EQ(Command_CollisionEllipse(&self, x2, y2, x, y, object, false, notme),
                  Walk(object, &self, notme, [&](CInstance& i) { return i.Collision_Ellipse(r, b, l, t, false); }));
        ASSERT_EQ(Command_CollisionLine(&self, x, y, x2, y2, object, false, notme),
                  Walk(object, &self, notme, [&](CInstance& i) { return i.Collision_Line(x, y, x2, y2, false); }));
      }
      // Then the crowd changes.
      for (int c = 0; c < 25; ++c) {
        all = Active();
        CInstance& i = *all[static_cast<size_t>(pick(static_cast<int32_t>(all.size())))];
        switch (pick(8)) {
          case 0: i.SetPosition(static_cast<float>(pick(400)), static_cast<float>(pick(300))); break;
          case 1: i.SetImageXScale(static_cast<float>(pick(5) - 2) * 1.5f); break;
          case 2: i.SetImageAngle(static_cast<float>(pick(360))); break;
          case 3: Command_ChangeInstance(i, pick(4), false); break;
          case 4: i.SetMaskIndex(pick(3) - 1); break;
          case 5: i.deactivated = true; Run_CurrentRoom()->UpdateActiveLists(); break;
          case 6: Command_DestroyInstance(i); break;
          default: Command_CreateInstance(pick(4), static_cast<float>(pick(400)), static_cast<float>(pick(300)));
        }
      }
      if (round % 10 == 9) Run_CurrentRoom()->RemoveDestroyedInstances();
    }
    EXPECT_GT(hits, 200) << "the crowd should meet often";
  }
}

// The collision pass as a walk of every pair of instances, for comparison.
void WalkCollisions() {
  for (const CollisionPair& pair : Object_CollisionPairs()) {
    const uint64_t pass = EventSerial++;
    auto own = [](int32_t object) {
      const auto& list = Object_Data(object)->Instances();
      return std::vector<CInstance*>(list.begin(), list.end());
    };
    auto skipped = [&](CInstance* i) { return i->marked || i->deactivated || i->createSerial > pass; };
    auto back = [](CInstance* i) {
      i->SetPosition(i->xprevious, i->yprevious);
      i->path_position = i->path_positionprevious;
    };
    auto move = [](CInstance* i) {
      i->SetPosition(static_cast<float>(static_cast<double>(i->x) + i->hspeed),
                     static_cast<float>(static_cast<double>(i->y) + i->vspeed));
    };
    for (CInstance* i : own(pair.object)) {
      for (CInstance* j : own(pair.other)) {
        if (skipped(i) || skipped(j) || !i->Collision_Instance(*j, true)) continue;
        if (i->solid || j->solid) {
          back(i);
          back(j);
        }
        Perform_Event(i, j, 4, j->object_index);
        Perform_Event(j, i, 4, i->object_index);
        if (i->solid || j->solid) {
          i->PathStep();
          j->PathStep();
          move(i);
          move(j);
          if (i->Collision_Instance(*j, true)) {
            back(i);
            back(j);
          }
        }
      }
    }
  }
}

// Runs the collision pass (or the walk) a few times over a crowd that moves in between, and
// writes down where every instance ended and the order it met others in.
std::string CollisionOutcome(uint32_t seed, bool walk) {
  InProcessGame game;
  if (!game.Load(CrowdGame(seed)) || !game.Start()) return "did not start";
  std::mt19937 random(seed);
  std::string outcome;
  for (int round = 0; round < 6; ++round) {
    for (CInstance* i : Active()) {
      i->xprevious = i->x;
      i->yprevious = i->y;
      i->hspeed = static_cast<float>(static_cast<int32_t>(random() % 5) - 2);
      i->SetPosition(i->x + i->hspeed, i->y);
    }
    if (walk) WalkCollisions(); else Run_Collisions();
  }
  for (CInstance* i : Active()) {
    outcome += std::to_string(i->id) + " " + std::to_string(i->x) + "," + std::to_string(i->y) + " " +
               std::to_string(i->image_index) + "\n";
  }
  return outcome;
}

TEST(InstanceGrid, TheCollisionPassMeetsAsAWalkOfEveryPair) {
  for (uint32_t seed = 11; seed <= 13; ++seed) {
    const std::string outcome = CollisionOutcome(seed, false);
    EXPECT_EQ(outcome, CollisionOutcome(seed, true)) << "seed " << seed;
    // Many instances met others (their image_index is no longer 0).
    size_t met = 0;
    for (size_t at = 0; (at = outcome.find('\n', at)) != std::string::npos; ++at) {
      met += outcome.compare(at - 9, 9, " 0.000000") != 0 ? 1 : 0;
    }
    EXPECT_GT(met, 20u) << "seed " << seed;
  }
}

}  // namespace

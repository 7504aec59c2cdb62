// Rooms: reading ROOM (and refusing damaged or over-full records), the room order, the table's
// run-time additions, live instance lists with activation, tiles and the saved-game stream.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "data/game_loader.h"
#include "data/rooms.h"
#include "platform/stream.h"
#include "runner/instance.h"
#include "support/game_data_writer.h"

namespace {

GameDataWriter RoomGame() {
  GameDataWriter game = TestGame();
  gamedata::Room& room = game.rooms[0];
  room.caption = "Start";
  room.width = 320;
  room.height = 200;
  room.speed = 45;
  room.persistent = true;
  room.colour = 0x112233;
  room.enableViews = true;
  room.backgrounds.push_back({1, 0, -1, 5, 6, 0, 1, 2, 3, 0});
  room.views.push_back({1, 10, 20, 300, 200, 0, 0, 600, 400, 16, 24, 5, -1, 0});
  room.instances.push_back({100, 50, 0, 100002, {"y = 7;"}, 2.0f, 1.0f, 0x80FF0000, 45.0f});
  room.tiles.push_back({8, 9, 0, 1, 2, 16, 16, 100, 10000005, 1.0f, 1.0f, 0x400000FF});
  gamedata::Room empty;
  empty.name = "rm_second";
  game.rooms.push_back(empty);
  return game;
}

class Rooms : public ::testing::Test {
 protected:
  void TearDown() override { Room_FreeAll(); }
  GameLoadResult Load(const GameDataWriter& game) { return GameData_LoadImage(game.Build()); }
  ConsoleCapture console;
};

TEST_F(Rooms, RoomRecordsReadWithTheirListsAndEmptySlots) {
  GameDataWriter game = RoomGame();
  std::vector<uint8_t> image = game.Build();
  // Empty the second slot of the ROOM list.
  const std::vector<ChunkLayoutEntry> layout = ChunkLayout(image);
  const ChunkLayoutEntry* chunk = FindChunk(layout, "ROOM");
  ASSERT_NE(chunk, nullptr);
  WriteU32(image, chunk->bodyOffset + 8, 0);
  ASSERT_EQ(GameData_LoadImage(image), GameLoadResult::Loaded) << console.Text();

  ASSERT_EQ(Room_GetCount(), 2);
  const CRoom* room = Room_Data(0);
  ASSERT_NE(room, nullptr);
  EXPECT_EQ(room->Name(), "rm_start");
  EXPECT_EQ(room->caption, "Start");
  EXPECT_EQ(room->width, 320);
  EXPECT_EQ(room->speed, 45);
  EXPECT_TRUE(room->persistent);
  EXPECT_EQ(room->colour, 0x112233u);
  EXPECT_EQ(room->backgrounds[0].x, 5.0f);
  EXPECT_FALSE(room->backgrounds[0].htiled);
  EXPECT_EQ(room->backgrounds[0].vspeed, 3.0f);
  EXPECT_EQ(room->backgrounds[0].xscale, 1.0f);  // stretch of a missing background keeps the scale
  EXPECT_EQ(room->views[0].wport, 600);
  EXPECT_EQ(room->views[0].hspeed, 5);
  EXPECT_EQ(room->views[0].vspeed, -1);
  EXPECT_EQ(room->views[1].wview, 640);  // untouched records keep their defaults
  ASSERT_NE(room->stored, nullptr);
  ASSERT_EQ(room->stored->instances.size(), 2u);
  EXPECT_EQ(room->stored->instances[1].id, 100002);
  EXPECT_NE(room->stored->instances[1].code, nullptr);
  EXPECT_EQ(room->stored->instances[0].code, nullptr);  // no text, no code
  ASSERT_EQ(room->stored->tiles.size(), 1u);
  EXPECT_EQ(room->active.count, 0);  // a template holds no live instances

  EXPECT_FALSE(Room_Exists(1));
  EXPECT_EQ(Room_GetName(1), "<undefined>");
  EXPECT_EQ(Room_Find("rm_second"), -1);
  EXPECT_EQ(Room_Find("rm_start"), 0);
}

TEST_F(Rooms, MoreThanEightBackgroundsOrViewsOrDamagedListsFailTheLoad) {
  GameDataWriter backgrounds = RoomGame();
  backgrounds.rooms[0].backgrounds.resize(9, backgrounds.rooms[0].backgrounds[0]);
  EXPECT_EQ(Load(backgrounds), GameLoadResult::Failed);
  GameDataWriter views = RoomGame();
  views.rooms[0].views.resize(9, views.rooms[0].views[0]);
  EXPECT_EQ(Load(views), GameLoadResult::Failed);
  GameDataWriter eight = RoomGame();
  eight.rooms[0].backgrounds.resize(8, eight.rooms[0].backgrounds[0]);
  eight.rooms[0].views.resize(8, eight.rooms[0].views[0]);
  EXPECT_EQ(Load(eight), GameLoadResult::Loaded);

  // Every word of the ROOM chunk pointed far outside the file: refused, never read.
  std::vector<uint8_t> image = RoomGame().Build();
  const std::vector<ChunkLayoutEntry> layout = ChunkLayout(image);
  const ChunkLayoutEntry room = *FindChunk(layout, "ROOM");
  const uint32_t record = ReadU32(image, room.bodyOffset + 4);
  for (uint32_t word : {0u, 10u, 11u, 12u, 13u}) {
    std::vector<uint8_t> damaged = image;
    WriteU32(damaged, record + word * 4, 0x7FFFFFF0u);
    EXPECT_EQ(GameData_LoadImage(damaged), GameLoadResult::Failed) << "word " << word;
  }
}

TEST_F(Rooms, OrderGivesFirstLastPreviousAndNext) {
  struct Case {
    std::vector<int32_t> order;
    int32_t room, previous, next;
  };
  const Case cases[] = {
      {{2, 0, 1}, 0, 2, 1},   // inside the order
      {{2, 0, 1}, 2, 0, 0},   // the first: previous falls back to position count - 2
      {{2, 0, 1}, 1, 0, 0},   // the last: next falls back to position 1
      {{2, 0, 1}, 7, 0, 0},   // not in the order
      {{4}, 4, -1, -1},       // fewer than two rooms
  };
  for (const Case& c : cases) {
    Room_SetOrder(c.order);
    EXPECT_EQ(Room_First(), c.order.front());
    EXPECT_EQ(Room_Last(), c.order.back());
    EXPECT_EQ(Room_Previous(c.room), c.previous) << c.room;
    EXPECT_EQ(Room_Next(c.room), c.next) << c.room;
  }
}

TEST_F(Rooms, AddDuplicateAndAssignMakeNewSlots) {
  GameDataWriter game = RoomGame();
  game.rooms.resize(5, game.rooms[0]);
  ASSERT_EQ(Load(game), GameLoadResult::Loaded) << console.Text();
  EXPECT_EQ(Room_AddNew(), 5);
  EXPECT_EQ(Room_GetName(5), "__newroom5");
  ASSERT_NE(Room_Data(5)->stored, nullptr);
  // A template that never ran has no live tiles: its duplicate holds none either.
  const int32_t copy = Room_Duplicate(0);
  EXPECT_EQ(copy, 6);
  EXPECT_EQ(Room_Data(copy)->width, 320);
  EXPECT_EQ(Room_Data(copy)->GetTileCount(), 0);
  EXPECT_EQ(Room_Duplicate(42), -1);
  EXPECT_TRUE(Room_Assign(5, 0));
  EXPECT_EQ(Room_Data(5)->caption, "Start");
  EXPECT_FALSE(Room_Assign(5, 99));
}

TEST_F(Rooms, RunningRoomTakesInstancesAndTilesFromTheRecord) {
  ASSERT_EQ(Load(RoomGame()), GameLoadResult::Loaded) << console.Text();
  {
    CRoom running;
    running.Assign(Room_Data(0), true);
    ASSERT_EQ(running.active.count, 2);
    CInstance* scaled = Instance_Find(100002);
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(scaled->image_xscale, 2.0f);
    EXPECT_EQ(scaled->image_angle, 45.0f);
    EXPECT_EQ(scaled->image_blend, 0xFF0000u);
    EXPECT_FLOAT_EQ(scaled->image_alpha, 128.0f / 255.0f);
    EXPECT_NE(scaled->creationCode, nullptr);
    ASSERT_EQ(running.GetTileCount(), 1);
    EXPECT_EQ(running.GetTile(0)->depth, 100.0f);
    EXPECT_EQ(running.GetTile(0)->blend, 0xFFu);
  }
  // The room's instances went with it, out of the id map too.
  EXPECT_EQ(Instance_Find(100002), nullptr);
}

TEST_F(Rooms, DeactivationMovesInstancesAndKeepsTheirIds) {
  CRoom room;
  CInstance* deep = room.AddInstance(0, 0, 0);
  CInstance* shallow = room.AddInstance(0, 0, 0);
  deep->depth = 10.0f;
  InstanceList_Unlink(room.active, *deep);
  InstanceList_InsertByDepth(room.active, *deep);
  ASSERT_EQ(room.active.first, shallow);

  deep->deactivated = true;
  room.UpdateActiveLists();
  EXPECT_EQ(room.active.count, 1);
  EXPECT_EQ(room.deactivated.first, deep);
  EXPECT_EQ(Instance_Find(deep->id), deep);

  deep->deactivated = false;
  room.UpdateActiveLists();
  EXPECT_EQ(room.deactivated.count, 0);
  EXPECT_EQ(room.active.last, deep);  // back in its depth-ordered place

  // Marked twice, removed once.
  Instance_MarkForDeletion(*shallow);
  Instance_MarkForDeletion(*shallow);
  const int32_t id = shallow->id;
  room.RemoveDestroyedInstances();
  EXPECT_EQ(room.active.count, 1);
  EXPECT_EQ(Instance_Find(id), nullptr);

  // Destroyed while deactivated: it stays until it is back among the active ones, and goes at
  // the next sweep although nothing was destroyed since the last.
  deep->deactivated = true;
  room.UpdateActiveLists();
  Instance_MarkForDeletion(*deep);
  room.RemoveDestroyedInstances();
  EXPECT_EQ(room.deactivated.count, 1);
  room.RemoveDestroyedInstances();
  deep->deactivated = false;
  room.UpdateActiveLists();
  room.RemoveDestroyedInstances();
  EXPECT_EQ(room.active.count, 0);
  EXPECT_EQ(room.deactivated.count, 0);
}

// The instances that stay keep their order, and the order array the sweep leaves behind is
// the walk from the head, also once more come in.
TEST_F(Rooms, RemovingDestroyedInstancesKeepsTheOrderOfTheOthers) {
  CRoom room;
  std::vector<CInstance*> made;
  for (int i = 0; i < 6; ++i) {
    CInstance* at = room.AddInstance(0, 0, 0);
    at->depth = static_cast<float>(i % 3);
    InstanceList_Unlink(room.active, *at);
    InstanceList_InsertByDepth(room.active, *at);
    made.push_back(at);
  }
  auto walk = [&room] {
    std::vector<CInstance*> order;
    for (CInstance* at = room.active.first; at != nullptr; at = at->next) order.push_back(at);
    return order;
  };
  Instance_MarkForDeletion(*made[0]);
  Instance_MarkForDeletion(*made[4]);
  room.RemoveDestroyedInstances();
  EXPECT_EQ(walk(), (std::vector<CInstance*>{made[3], made[1], made[2], made[5]}));
  EXPECT_EQ(InstanceList_Order(room.active), walk());
  CInstance* late = room.AddInstance(0, 0, 0);
  late->depth = 1.0f;
  InstanceList_Unlink(room.active, *late);
  InstanceList_InsertByDepth(room.active, *late);
  Instance_MarkForDeletion(*made[3]);
  room.RemoveDestroyedInstances();
  EXPECT_EQ(walk(), (std::vector<CInstance*>{made[1], late, made[2], made[5]}));
  EXPECT_EQ(InstanceList_Order(room.active), walk());
}

Tile MakeTile(float x, float y, float depth, int32_t size = 10) {
  Tile t;
  t.x = x;
  t.y = y;
  t.depth = depth;
  t.width = t.height = size;
  return t;
}

TEST_F(Rooms, TilesSortFindAndDeleteByTheirEdgesAndLayers) {
  CRoom room;
  room.AddTile(MakeTile(0, 0, 5));
  room.AddTile(MakeTile(20, 0, 5));
  room.AddTile(MakeTile(40, 0, 50));  // added last, deepest
  room.SortTiles();
  EXPECT_EQ(room.GetTile(0)->depth, 50.0f);
  EXPECT_EQ(room.GetTile(1)->x, 0.0f);  // equal depths keep their order
  EXPECT_EQ(room.GetTile(2)->x, 20.0f);

  EXPECT_EQ(room.FindTileAt(9, 5, false), 1);
  EXPECT_EQ(room.FindTileAt(10, 5, false), -1);  // the right edge is outside for a find
  room.DeleteTileAt(10, 5, false);                // but inside for a delete
  EXPECT_EQ(room.GetTileCount(), 2);

  CRoom layers;
  const int32_t zero = layers.AddTile(MakeTile(0, 0, 0));
  EXPECT_EQ(layers.FindTileAt(1, 1, true), -1);  // depth 0 is background for a find
  EXPECT_EQ(layers.FindTileAt(1, 1, false), zero);
  layers.DeleteTileAt(1, 1, true);  // and belongs to both layers for a delete
  EXPECT_EQ(layers.GetTileCount(), 0);

  CRoom byId;
  byId.AddTile(MakeTile(0, 0, 1));
  const int32_t second = byId.GetTile(byId.AddTile(MakeTile(0, 0, 2)))->id;
  const int32_t third = byId.GetTile(byId.AddTile(MakeTile(0, 0, 3)))->id;
  EXPECT_EQ(byId.FindTileIndex(second), 1);
  byId.DeleteTile(1);  // the cached tile goes; the cache is checked by id
  EXPECT_EQ(byId.FindTileIndex(second), -1);
  EXPECT_EQ(byId.FindTileIndex(third), 1);
  byId.HideTileLayer(3);
  EXPECT_FALSE(byId.GetTile(1)->visible);
  byId.ShiftTileLayer(3, 4, 5);
  EXPECT_EQ(byId.GetTile(1)->x, 4.0f);
  byId.DeleteTileLayer(1);
  EXPECT_EQ(byId.GetTileCount(), 1);
  EXPECT_EQ(byId.GetTile(5), nullptr);
}

TEST_F(Rooms, SavedStreamKeepsTilesViewsAndInstances) {
  CRoom room;
  room.caption = "Saved";
  room.views[2].angle = 30.0f;
  room.views[2].surface = 4;
  room.backgrounds[7].alpha = 0.5f;
  Tile hidden = MakeTile(3, 4, 7);
  hidden.visible = false;
  room.AddTile(hidden);
  CInstance* instance = room.AddInstance(12, 34, -1);
  instance->alarm[3] = 9;
  const int32_t id = instance->id;
  CStream stream;
  room.SaveToStream(stream);
  room.ClearInstances();

  stream.SetPosition(0);
  CRoom loaded;
  ASSERT_TRUE(loaded.LoadFromStream(stream));
  EXPECT_EQ(loaded.caption, "Saved");
  EXPECT_EQ(loaded.views[2].angle, 30.0f);
  EXPECT_EQ(loaded.views[2].surface, -1);  // surfaces are not kept
  EXPECT_EQ(loaded.backgrounds[7].alpha, 0.5f);
  ASSERT_EQ(loaded.GetTileCount(), 1);
  EXPECT_FALSE(loaded.GetTile(0)->visible);
  ASSERT_EQ(loaded.active.count, 1);
  EXPECT_EQ(loaded.active.first->id, id);
  EXPECT_EQ(loaded.active.first->x, 12.0f);
  EXPECT_EQ(loaded.active.first->alarm[3], 9);
  EXPECT_EQ(Instance_Find(id), loaded.active.first);

  // A wrong tag, and a view count beyond the eight records, are refused.
  for (int32_t corrupt : {0, 1}) {
    CStream bad;
    CRoom source;
    source.SaveToStream(bad);
    std::vector<uint8_t> bytes(static_cast<size_t>(bad.GetSize()));
    bad.SetPosition(0);
    bad.Read(bytes.data(), bad.GetSize());
    if (corrupt == 0) {
      bytes[0] = 0;
    } else {
      // The view count follows the tag, caption, six settings, creation text and 8 backgrounds.
      const size_t backgrounds = 8 * (6 * 4 + 7 * 8);
      const size_t viewCount = 4 + 4 + 6 * 4 + 4 + 4 + backgrounds + 4;
      bytes[viewCount] = 9;
    }
    CStream damaged;
    damaged.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    damaged.SetPosition(0);
    CRoom target;
    EXPECT_FALSE(target.LoadFromStream(damaged)) << corrupt;
  }
}

TEST_F(Rooms, CreationCodeThatDoesNotCompileStopsPreparation) {
  GameDataWriter game = RoomGame();
  game.rooms[0].instances[1].creationCode.source = "y = ;";
  ASSERT_EQ(Load(game), GameLoadResult::Loaded);
  EXPECT_FALSE(Room_Prepare());
  EXPECT_TRUE(console.Contains("COMPILATION ERROR in room script")) << console.Text();
  GameDataWriter good = RoomGame();
  ASSERT_EQ(Load(good), GameLoadResult::Loaded);
  EXPECT_TRUE(Room_Prepare()) << console.Text();
}

}  // namespace

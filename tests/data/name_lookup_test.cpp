// Resources found by name: the first of equal names wins, and a lookup follows deletions and
// additions made while the game runs.
#include <gtest/gtest.h>

#include "data/objects.h"
#include "data/rooms.h"
#include "data/scripts.h"
#include "data/sprite.h"
#include "loaded_game.h"

namespace {

using NameLookupTest = LoadedGame;

TEST_F(NameLookupTest, FirstOfEqualNamesWinsAndLookupsFollowChanges) {
  GameDataWriter game;
  for (const char* name : {"res_a", "res_b", "res_a"}) {
    game.scripts.push_back({name, {"return 1;"}});
    gamedata::Object object;
    object.name = name;
    game.objects.push_back(object);
    gamedata::Sprite sprite;
    sprite.name = name;
    game.sprites.push_back(sprite);
    gamedata::Room room;
    room.name = name;
    game.rooms.push_back(room);
  }
  ASSERT_TRUE(Load(game)) << log;
  EXPECT_EQ(Script_Find("res_a"), 0);
  EXPECT_EQ(Object_Find("res_a"), 0);
  EXPECT_EQ(Sprite_Find("res_a"), 0);
  EXPECT_EQ(Room_Find("res_a"), 0);
  EXPECT_EQ(Script_Find("res_c"), -1);

  ASSERT_TRUE(Sprite_Delete(0));
  EXPECT_EQ(Sprite_Find("res_a"), 2);
  ASSERT_TRUE(Object_Delete(0));
  EXPECT_EQ(Object_Find("res_a"), 2);
  const int32_t added = Sprite_AddNew();
  EXPECT_EQ(Sprite_Find("__newsprite" + std::to_string(added)), added);
  const int32_t room = Room_AddNew();
  EXPECT_EQ(Room_Find("__newroom" + std::to_string(room)), room);
}

}  // namespace

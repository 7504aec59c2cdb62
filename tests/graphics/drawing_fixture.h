// A 64 x 64 device without a window, a game image loaded in process (its sprites,
// backgrounds and texture pages on the device, its objects compiled), a room of our own as
// the current room, and the PNG that screen_save writes compared with a golden image.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/room_settings.h"
#include "graphics/graphics_fixture.h"
#include "runner/instance.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

// The first file of that name anywhere below the folder (a game's save area); empty if none.
std::string FindFile(const std::string& folder, const std::string& name);

class DrawingTest : public GraphicsTest {
 protected:
  static constexpr int kCanvas = 64;
  void SetUp() override;
  void TearDown() override;

  // A game with one 32 x 32 texture page: sprite 0 is 8 x 4 (left half red, right half
  // green, origin 4, 2) at (0, 0); background 0 is an 8 x 8 checker of blue and yellow at
  // (8, 0); sprite 1 has four 2 x 2 frames: red, green, blue, white. Objects are added by
  // the tests.
  static GameDataWriter BaseGame();
  // Loads the game and puts its resources on the device; compiles its code.
  void Load(const GameDataWriter& game);
  // A new instance of the object joined to the room's active list by depth.
  CInstance& Add(int32_t object, float x, float y);
  // One frame: begin, the room drawn, end. Then the PNG saved as name in the save area.
  void DrawRoomFrame();
  std::vector<uint32_t> SavedPng(const std::string& name, int& width, int& height);
  void ExpectSavedGolden(const std::string& name);

  RoomSettings room;
  std::vector<std::unique_ptr<CInstance>> instances;
  std::unique_ptr<TempFolder> saveArea;
};

// A game played by the runner binary headless, in each of the game forms: a suite derives
// from it, writes its tests with TEST_P and is instantiated with INSTANTIATE_GAME_FORMS.
class DrawingGameTest : public DrawingTest, public ::testing::WithParamInterface<GameForm> {
 protected:
  // Writes the game in this test's form into folder and plays it with the extra arguments;
  // its save area lies below folder/data.
  RunnerResult PlayInFolder(const GameDataWriter& game, const TempFolder& folder,
                            const std::vector<std::string>& extraArgs, RunnerOptions options = {});
  // The same in a folder of its own; the PNGs of these names that the game saves in its save
  // area are copied into this test's save area.
  RunnerResult RunGameSaving(const GameDataWriter& game, const std::vector<std::string>& pngs,
                             const std::vector<std::string>& extraArgs = {}, RunnerOptions options = {});
};

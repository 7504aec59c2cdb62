// Game options that reach the picture, seen through the runner binary headless: the window
// colour around the views, and the loading screen (the splash entry and the progress bar)
// left on the screen when the first room starts.
#include <filesystem>

#include "graphics/drawing_fixture.h"
#include "support/runner_process.h"

namespace {

uint32_t Rgb(const std::vector<uint32_t>& pixels, int width, int x, int y) {
  return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] & 0xFFFFFFu;
}

class RunnerOptionsPicture : public DrawingGameTest {
 protected:
  // A game of one room of the window's size holding one instance of an object with these events.
  // The texture pages of BaseGame come with it.
  static GameDataWriter OneRoomGame(int size, std::vector<gamedata::Event> events) {
    GameDataWriter game = BaseGame();
    const GameDataWriter one = OneInstanceGame(std::move(events));
    game.objects = one.objects;
    game.rooms = one.rooms;
    game.header.lastInstanceId = one.header.lastInstanceId;
    game.header.windowWidth = game.header.windowHeight = size;
    game.rooms[0].width = game.rooms[0].height = size;
    return game;
  }
  // Runs the game headless in this test's form; the screenshot it saved as name is then
  // readable with SavedPng.
  void Run(const GameDataWriter& game, const std::string& name) {
    const RunnerResult run = RunGameSaving(game, {name}, {"-noaudio"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_TRUE(std::filesystem::exists(saveArea->path() + "/" + name)) << run.output;
  }
};

TEST_P(RunnerOptionsPicture, WindowColourFillsWhatTheViewsLeave) {
  GameDataWriter game = OneRoomGame(
      kCanvas, {{0, 0, {"frames = 0;"}},
                {3, 0, {"frames += 1; if (frames == 2) { screen_save(\"window.png\"); game_end(); }"}}});
  game.options.windowColour = 0xFF0000;  // c_blue
  gamedata::Room& room = game.rooms[0];
  room.colour = 0x000000;
  room.enableViews = true;
  // Two views of the room's top-left quarter, shown in the window's top-left and bottom-right
  // quarters: the other two quarters belong to no view.
  room.views.push_back({1, 0, 0, 32, 32, 0, 0, 32, 32, 0, 0, -1, -1, -1});
  room.views.push_back({1, 0, 0, 32, 32, 32, 32, 32, 32, 0, 0, -1, -1, -1});
  Run(game, "window.png");
  int w = 0, h = 0;
  const std::vector<uint32_t> pixels = SavedPng("window.png", w, h);
  ASSERT_EQ(w, kCanvas);
  EXPECT_EQ(Rgb(pixels, w, 8, 8), 0x000000u);    // the room's colour inside the ports
  EXPECT_EQ(Rgb(pixels, w, 48, 48), 0x000000u);
  EXPECT_EQ(Rgb(pixels, w, 48, 8), 0x0000FFu);   // blue outside them
  EXPECT_EQ(Rgb(pixels, w, 8, 48), 0x0000FFu);
}

TEST_P(RunnerOptionsPicture, LoadingScreenDrawsTheSplashAndTheFullProgressBar) {
  // The create event runs as the first room starts, before anything of the room is drawn.
  GameDataWriter game = OneRoomGame(96, {{0, 0, {"screen_save(\"loading.png\"); game_end();"}}});
  game.rooms[0].showColour = false;
  game.options.splashEntry = 0;  // sprite 0's 8 x 4 entry: left half red, right half green
  Run(game, "loading.png");
  int w = 0, h = 0;
  const std::vector<uint32_t> pixels = SavedPng("loading.png", w, h);
  ASSERT_EQ(w, 96);
  // The bar at (24, 50), 50 by 16, filled to 100 percent; nothing drawn around it.
  EXPECT_EQ(Rgb(pixels, w, 30, 55), 0xFFFFFFu);
  EXPECT_EQ(Rgb(pixels, w, 70, 62), 0xFFFFFFu);
  EXPECT_EQ(Rgb(pixels, w, 10, 55), 0x000000u);
  EXPECT_EQ(Rgb(pixels, w, 30, 70), 0x000000u);
  // The splash entry centred: (96 - 8) / 2, (96 - 4) / 2.
  EXPECT_EQ(Rgb(pixels, w, 44, 46), 0xFF0000u);
  EXPECT_EQ(Rgb(pixels, w, 51, 49), 0x00FF00u);
  EXPECT_EQ(Rgb(pixels, w, 43, 46), 0x000000u);
}

INSTANTIATE_GAME_FORMS(RunnerOptionsPicture);

}  // namespace

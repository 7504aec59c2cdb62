// draw_highscore through the runner binary, headless: ten rows of names at the left edge and
// scores ending at the right edge, in the drawing colour and the built-in font, compared with
// a golden image: one picture whatever the game's form.
#include <filesystem>

#include "graphics/drawing_fixture.h"
#include "support/runner_process.h"

namespace {

class HighscoreDrawGame : public DrawingGameTest {};

TEST_P(HighscoreDrawGame, DrawHighscoreLaysOutTenRowsWithTheScoresEndingAtTheRightEdge) {
  GameDataWriter game = BaseGame();
  game.header.gameName = "highscore_draw";
  game.header.windowWidth = 128;
  game.header.windowHeight = 168;
  gamedata::Object table;
  table.name = "obj_table";
  table.events.push_back({0, 0, {"highscore_clear(); highscore_add(\"ann\", 1234); highscore_add(\"bob\", 77);"
                                 "highscore_add(\"\", 5); global.frames = 0;"}});
  table.events.push_back({8, 0, {"draw_set_color(c_white); draw_highscore(4, 2, 124, 162);"
                                 "global.frames += 1; if (global.frames == 2) { screen_save(\"table.png\"); game_end(); }"}});
  game.objects.push_back(table);
  gamedata::Room room;
  room.name = "rm_table";
  room.width = 128;
  room.height = 168;
  room.speed = 1000;
  room.colour = 0x000000;
  room.instances.push_back({0, 0, 0, 100001, {""}});
  game.rooms.push_back(room);
  game.header.lastInstanceId = 100100;

  TempFolder folder;
  const RunnerResult run = PlayInFolder(game, folder, {"-noaudio"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string saved = folder / "data/highscore_draw/table.png";
  ASSERT_TRUE(std::filesystem::exists(saved)) << run.output;
  std::filesystem::copy_file(saved, saveArea->path() + "/highscore_table.png");
  int w = 0, h = 0;
  const std::vector<uint32_t> pixels = SavedPng("highscore_table.png", w, h);
  ASSERT_EQ(w, 128);
  ASSERT_EQ(h, 168);
  // Each row is 16 pixels below the last; every score ends just left of x = 124, nothing
  // is drawn right of it.
  auto lit = [&](int x0, int x1, int y0, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if ((pixels[static_cast<size_t>(y) * 128 + static_cast<size_t>(x)] & 0xFFFFFFu) != 0) return true;
    return false;
  };
  for (int row = 0; row < 10; ++row) {
    const int top = 2 + row * 16;
    EXPECT_TRUE(lit(116, 124, top, top + 14)) << "row " << row;
    EXPECT_EQ(lit(4, 12, top, top + 14), row != 2) << "row " << row;  // the third name is empty
  }
  EXPECT_FALSE(lit(124, 128, 0, 168));
  EXPECT_FALSE(lit(0, 4, 0, 168));
  ExpectSavedGolden("highscore_table");
}

INSTANTIATE_GAME_FORMS(HighscoreDrawGame);

}  // namespace

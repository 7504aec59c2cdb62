// What the runner itself puts into the debug overlay, played by the runner binary headless in
// every game form: the step's profiler sections as bars, the program's memory in use (the
// overlay's memory bar and the "Total memory used" lines), and the frame-rate line switched by
// "Debug.ini" and by the game, written back to "Debug.ini" after the run.
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "graphics/played_drawing_game.h"
#include "platform/ini_file.h"

namespace {

// The colours the bars are drawn in (the profiler's sections and the memory bar).
constexpr uint32_t kInputBar = 0xFF00C000u, kUpdateBar = 0xFFE02020u, kDrawBar = 0xFFE0A000u,
                   kScrollBar = 0xFFC040C0u, kMemoryBar = 0xFF20C020u;
// Rows below the frame-rate text: the profiler's bars, then the memory bar.
constexpr int kBarRow = 17, kMemoryRow = 22;

class DebugOverlayWiringGame : public PlayedDrawingGame {
 protected:
  // Plays the game with "Debug.ini" (when given) in the working folder; the file the runner
  // writes back is kept as `savedIni`.
  void PlayWithIni(const GameDataWriter& game, const std::string& debugIni, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& environment = {}) {
    TempFolder folder;
    if (!debugIni.empty()) std::ofstream(folder / "Debug.ini", std::ios::binary) << debugIni;
    RunnerOptions options;
    options.workingDirectory = folder.path();
    options.environment = environment;
    std::vector<std::string> all = {"-noaudio"};
    all.insert(all.end(), args.begin(), args.end());
    const RunnerResult run = PlayInFolder(game, folder, all, options);
    output = run.output;
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string picture = FindFile(folder / "data", "shot.png");
    ASSERT_FALSE(picture.empty()) << run.output;
    std::filesystem::copy_file(picture, saveArea->path() + "/shot.png",
                               std::filesystem::copy_options::overwrite_existing);
    shot = SavedPng("shot.png", width, height);
    savedIni = IniFile{};
    const std::string written = FindFile(folder / "data", "Debug.ini");
    if (written.empty()) return;
    std::ifstream file(written, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    savedIni.Parse(text.str());
  }

  // The step event saves the previous frame, overlay and all, in step 6; scr_show_later has
  // the overlay shown from step 3 on.
  static GameDataWriter OverlayGame(const std::string& create) {
    GameDataWriter game = PainterGame(
        {{0, 0, {"later = 0; " + create + " steps = 0;"}},
         {3, 0,
          {"steps += 1; if (steps == 3 && later) scr_show();"
           "if (steps == 6) { screen_save(\"shot.png\"); game_end(); }"}}},
        1000);
    game.scripts.push_back({"scr_switch", {"show_debug_overlay(argument0);"}});
    game.scripts.push_back({"scr_show", {"scr_switch(true);"}});
    game.scripts.push_back({"scr_hide", {"scr_switch(false);"}});
    game.scripts.push_back({"scr_show_later", {"later = 1;"}});
    return game;
  }

  std::set<uint32_t> RowColours(int y) const {
    std::set<uint32_t> colours;
    for (int x = 0; x < width; ++x) colours.insert(At(x, y) | 0xFF000000u);
    return colours;
  }

  bool TopIsBlack() const {
    for (int y = 0; y <= kMemoryRow + 2; ++y) {
      for (int x = 0; x < width; ++x) {
        if ((At(x, y) & 0xFFFFFFu) != 0) return false;
      }
    }
    return true;
  }

  IniFile savedIni;
};

// A frame of the profiler runs from one presented frame to the next: the last step's
// scrolling, then the input, the update and the drawing of this one, each a bar of its own
// colour; the memory bar below them shows the program's memory in use.
TEST_P(DebugOverlayWiringGame, BarsShowTheStepsSectionsAndTheMemoryInUse) {
  // Each reading of the fixed clock moves on by two pixels: every section is wide enough to see.
  PlayWithIni(OverlayGame("scr_show();"), "", {}, {{"KILNFORGE_FIXED_FRAME_TIME", "133333"}});
  const std::set<uint32_t> bars = RowColours(kBarRow);
  for (const uint32_t colour : {kInputBar, kUpdateBar, kDrawBar, kScrollBar})
    EXPECT_TRUE(bars.count(colour) != 0) << std::hex << colour << "\n" << output;
  EXPECT_EQ(At(0, kMemoryRow) | 0xFF000000u, kMemoryBar) << output;
}

// Every "Total memory used" line of the run gives the program's heap in use, which is never 0.
TEST_P(DebugOverlayWiringGame, MemoryLinesGiveTheProgramsMemoryInUse) {
  PlayWithIni(OverlayGame(""), "", {});
  int lines = 0;
  for (size_t at = output.find("Total memory used = "); at != std::string::npos;
       at = output.find("Total memory used = ", at + 1)) {
    unsigned total = 0, hex = 0;
    ASSERT_EQ(std::sscanf(output.c_str() + at, "Total memory used = %u(0x%x) bytes", &total, &hex), 2) << output;
    EXPECT_GT(total, 0u);
    EXPECT_EQ(total, hex);
    ++lines;
  }
  EXPECT_GE(lines, 2) << output;
}

// With -debug the frame-rate line is on unless "Debug.ini" says FPSVisible=false or the game
// switches it off; the file written after the run says what the overlay showed at the end.
TEST_P(DebugOverlayWiringGame, DebugIniAndTheGameSwitchTheFrameRateLine) {
  struct Case {
    const char* fpsVisible;
    const char* create;  // the game's own code in its create event
    bool shown;
  };
  for (const Case& c : {Case{"true", "", true}, Case{"false", "", false},
                        Case{"true", "scr_hide();", false}, Case{"false", "scr_show_later();", true}}) {
    SCOPED_TRACE(std::string(c.fpsVisible) + " " + c.create);
    PlayWithIni(OverlayGame(c.create), std::string("[DebugForm]\r\nFPSVisible=") + c.fpsVisible + "\r\nNumWatches=0\r\n", {"-debug"});
    if (c.shown) {
      EXPECT_FALSE(TopIsBlack()) << output;
    } else {
      EXPECT_TRUE(TopIsBlack()) << output;
    }
    EXPECT_EQ(savedIni.ReadString("DebugForm", "FPSVisible", ""), c.shown ? "true" : "false") << output;
  }
}

INSTANTIATE_GAME_FORMS(DebugOverlayWiringGame);

}  // namespace

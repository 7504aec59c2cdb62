// The debug window's "Display FPS" box for real: the runner binary started with "-debug" on
// an X server (Xvfb), the box switched off from the keyboard (Alt+F) with xdotool, and the
// game's next picture shows the frame-rate line gone. Runs only where ctest starts it under
// xvfb-run (KF_DIALOG_XVFB set) with xdotool installed.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ini_file.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"
#include "support/xvfb_desktop.h"

namespace {

// The first file of that name below the folder; empty if none.
std::string Find(const std::string& folder, const std::string& name) {
  if (!std::filesystem::exists(folder)) return {};
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.path().filename() == name) return entry.path().string();
  }
  return {};
}

// Whether any pixel of the rows from 0 to last is not black.
bool TopRowsLit(const std::string& path, int last) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  const size_t end = std::min(pixels.size(), static_cast<size_t>(last + 1) * image.width * 3);
  for (size_t i = 0; i < end; ++i) {
    if (pixels[i] != 0) return true;
  }
  return false;
}

class GtkDebugWindowFps : public XvfbDesktopTest {};

TEST_P(GtkDebugWindowFps, TheBoxSwitchesTheOverlaysFrameRateLine) {
  TempFolder folder;
  const std::string switched = folder / "switched";
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  game.header.gameName = "debug_fps_xvfb";
  game.header.windowWidth = game.header.windowHeight = 64;
  gamedata::Object object;
  object.name = "obj_camera";
  // Step 5 saves the frame before, overlay (on with -debug) and all; three steps after the
  // mark the frame before shows it gone.
  object.events.push_back({0, 0, {"after = 0; steps = 0;"}});
  object.events.push_back({3, 0,
                           {"steps += 1; if (steps == 5) screen_save(\"before.png\");"
                            "if (file_exists(\"" + switched + "\")) after += 1;"
                            "if (after == 3) { screen_save(\"after.png\"); game_end(); }"}});
  game.objects.push_back(object);
  gamedata::Room room;
  room.name = "rm_fps";
  room.width = room.height = 64;
  room.speed = 30;
  room.colour = 0x000000;
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));

  std::thread developer([&] {
    EXPECT_TRUE(Xdo("w=$(xdotool search --sync --onlyvisible --name '^Kilnforge Debugger$' | head -1) && "
                    "until [ -n \"$(find '" + folder / "data" + "' -name before.png)\" ]; do sleep 0.1; done && "
                    "xdotool windowfocus --sync $w && sleep 0.5 && xdotool key alt+f && sleep 0.5 && "
                    "touch '" + switched + "'"));
  });
  RunnerOptions options = XvfbDesktopRunnerOptions(folder / "data", 60.0);
  options.workingDirectory = folder.path();
  const RunnerResult run =
      RunRunner(WithFormArguments({"-game", folder / "game.win", "-noaudio", "-debug"}, GetParam()), options);
  developer.join();
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string before = Find(folder / "data", "before.png"), after = Find(folder / "data", "after.png");
  ASSERT_FALSE(before.empty() || after.empty()) << run.output;
  EXPECT_TRUE(TopRowsLit(before, 24)) << "the frame-rate line was not on before";
  EXPECT_FALSE(TopRowsLit(after, 24)) << "the frame-rate line is still on";

  IniFile saved;
  std::ifstream file(Find(folder / "data", "Debug.ini"), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  saved.Parse(text.str());
  EXPECT_EQ(saved.ReadString("DebugForm", "FPSVisible", ""), "false") << run.output;
}

INSTANTIATE_GAME_FORMS(GtkDebugWindowFps);

}  // namespace

// The bundled demo, played headless by the runner binary to its end in each game form (as the
// build packs it, its code stored as bytecode; packed with "-source"; and that with -oldexec):
// the console tells the tour room by room, and the picture each room saves in the save area
// matches its golden image, the same for every form (KF_UPDATE_GOLDEN=1 writes them anew).
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

bool ReadPng(const std::string& path, Picture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  picture.rgba.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) return false;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  return true;
}

// The share of pixels with a channel more than 8 away from the golden one.
double DifferentShare(const Picture& a, const Picture& b) {
  size_t different = 0;
  for (size_t i = 0; i < a.rgba.size(); i += 4) {
    for (size_t c = 0; c < 3; ++c) {
      if (std::abs(static_cast<int>(a.rgba[i + c]) - static_cast<int>(b.rgba[i + c])) > 8) {
        ++different;
        break;
      }
    }
  }
  return static_cast<double>(different) / static_cast<double>(a.rgba.size() / 4);
}

const char* const kRooms[] = {"rm_garden", "rm_text", "rm_sound", "rm_particles",
                              "rm_stage", "rm_physics", "rm_saving", "rm_data", "rm_overlay", "rm_dialog"};

class DemoTour : public ::testing::TestWithParam<GameForm> {};

// The demo as the build packs it (stored bytecode) or, for the source forms, packed again
// into folder with "-source", its tune beside it.
std::string DemoGame(GameForm form, const TempFolder& folder, std::string& failure) {
  if (form == GameForm::StoredBytecode) return KF_DEMO_GAME;
  const std::string demo = std::string(KF_TEST_SOURCE_DIR) + "/../examples/demo";
  const std::string packer = std::string(KF_TEST_BINARY_DIR) + "/../tools/kilnforge-pack";
  const RunnerResult packed = RunProcess(packer, {demo, "-source", "-o", folder / "data.win"});
  if (packed.exitCode != 0) failure = packed.output;
  std::error_code ec;
  std::filesystem::copy_file(demo + "/sounds/music.mid", folder / "music.mid", ec);
  return folder / "data.win";
}

}  // namespace

TEST_P(DemoTour, PlaysHeadlessToItsEndAndEveryRoomLooksAsItShould) {
  TempFolder packed;
  std::string failure;
  const std::string game = DemoGame(GetParam(), packed, failure);
  ASSERT_EQ(failure, "");
  TempFolder data;
  RunnerOptions options;
  options.environment["XDG_DATA_HOME"] = data.path();
  options.environment["SDL_VIDEODRIVER"] = "offscreen";
  // The overlay's frame rate as if every frame took a 60th of a second.
  options.environment["KILNFORGE_FIXED_FRAME_TIME"] = "16666";
  options.timeoutSeconds = 120;
  const RunnerResult run = RunRunner(WithFormArguments({"-game", game, "-noaudio"}, GetParam()), options);
  ASSERT_FALSE(run.timedOut) << run.output;
  ASSERT_EQ(run.exitCode, 0) << run.output;

  const std::string saveArea = data.path() + "/kilnforge_demo/";
  const int roomCount = static_cast<int>(std::size(kRooms));
  for (const char* said :
       {"No display: every room moves on by itself and its picture is saved.",
        "font_add made two fonts from DejaVu Sans",
        "ds_list sorted: 3, 7, 19, 42",
        "ds_map as JSON: { \"hero\": \"Kiln\", \"level\": 3.0 }",
        "decoded again: Kiln at level 3",
        "tour.ini: this room has been visited 1 time(s)",
        "tour.txt read back: a first line / a second line",
        "3D mode on: lit shapes with a depth buffer and fog; the camera circles them.",
        "A physics world of 12 balls falling on a floor.",
        "The balls fell and collided: ",
        "Saved the game with 5 coins in tour.sav.",
        "Loaded tour.sav back: 5 coins, as saved.",
        "The debug overlay is on: frames per second as a line and bars.",
        "Asked: enjoyed = 0, name = a guest.",
        "The tour is over.",
        "Goodbye after 10 rooms."}) {
    EXPECT_NE(run.output.find(said), std::string::npos) << "missing: " << said << "\n" << run.output;
  }

  const bool update = std::getenv("KF_UPDATE_GOLDEN") != nullptr;
  for (int i = 0; i < roomCount; ++i) {
    const std::string name = "demo_" + std::to_string(i + 1) + "_" + kRooms[i];
    const std::string room = "Room " + std::to_string(i + 1) + " of " + std::to_string(roomCount) + ": ";
    EXPECT_NE(run.output.find(room), std::string::npos) << room;
    const std::string saved = saveArea + name + ".png";
    EXPECT_NE(run.output.find("Saved a picture of this room: " + saved), std::string::npos) << name;

    Picture picture;
    ASSERT_TRUE(ReadPng(saved, picture)) << saved;
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 240);
    const std::string golden = std::string(KF_TEST_SOURCE_DIR) + "/examples/golden/" + name + ".png";
    if (update) {
      std::filesystem::copy_file(saved, golden, std::filesystem::copy_options::overwrite_existing);
      continue;
    }
    Picture expected;
    ASSERT_TRUE(ReadPng(golden, expected)) << "missing golden image " << golden;
    ASSERT_EQ(expected.rgba.size(), picture.rgba.size());
    EXPECT_LT(DifferentShare(picture, expected), 0.01) << name;
  }
}

INSTANTIATE_GAME_FORMS(DemoTour);

// The cd_* built-ins in a played game, with the drive named by "KILNFORGE_CD_DEVICE" being a
// disc image the test writes (or a missing one): from an event and from a script it calls, on
// the virtual machine (as stored bytecode and as source text) and with -oldexec.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/cd_disc_image.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0;

class CdAudioGame : public ::testing::TestWithParam<GameForm> {
 protected:
  std::vector<std::string> Play(const std::string& cdDevice) {
    GameDataWriter game;
    game.header.lastInstanceId = 100100;
    game.scripts.push_back(
        {"scr_cd_state", {"return string(cd_present()) + \" \" + string(cd_number()) + \" \" + "
                          "string(cd_track_length(2)) + \" \" + string(cd_playing()) + \" \" + string(cd_track());"}});
    gamedata::Object object;
    object.name = "obj_probe";
    object.events.push_back({kCreate, 0, {R"(
show_debug_message("@" + scr_cd_state());
cd_play(2, 2);
show_debug_message("@" + scr_cd_state());
cd_stop();
show_debug_message("@" + string(cd_playing()) + " " + string(cd_paused()));
cd_play(3, 2);
show_debug_message("@" + string(cd_playing()));
game_end();)"}});
    game.objects.push_back(object);
    gamedata::Room room;
    room.name = "rm_only";
    room.speed = 1000;
    room.instances = {{0, 0, 0, 100001, {""}}};
    game.rooms.push_back(room);
    EXPECT_TRUE(WriteGameInForm(game, folder_ / "game.win", GetParam()));
    std::vector<std::string> args = WithFormArguments({"-game", folder_ / "game.win", "-noaudio"}, GetParam());
    const RunnerResult run = RunRunner(
        args, {.workingDirectory = folder_.path(), .environment = {{"KILNFORGE_CD_DEVICE", cdDevice}}, .timeoutSeconds = 30.0});
    std::vector<std::string> lines;
    std::istringstream in(run.output);
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && line[0] == '@') lines.push_back(line.substr(1));
    return lines;
  }

  TempFolder folder_;
};

TEST_P(CdAudioGame, BuiltinsAnswerFromTheDisc) {
  const std::string cue = WriteDiscImage(folder_ / "cd", 5);
  EXPECT_EQ(Play(cue), (std::vector<std::string>{"1 5 2000 0 1", "1 5 2000 1 2", "0 1", "0"}));
}

TEST_P(CdAudioGame, NoDiscAnswersZero) {
  EXPECT_EQ(Play(folder_ / "none.cue"), (std::vector<std::string>{"0 0 0 0 0", "0 0 0 0 0", "0 0", "0"}));
}

INSTANTIATE_GAME_FORMS(CdAudioGame);

}  // namespace

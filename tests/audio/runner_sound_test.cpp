// The runner as a process playing a game that plays a sound: with OpenAL Soft's null output,
// with "-noaudio", and with no output device at all (silent, one log line); in each game form.
#include <gtest/gtest.h>

#include <sstream>

#include "audio_support.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

struct Case {
  const char* what;
  std::map<std::string, std::string> environment;
  std::vector<std::string> extra;
  const char* playing;  // what the game reports from sound_isplaying after sound_loop
  bool silentLine;
};

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find(part, at)) != std::string::npos; ++at) ++n;
  return n;
}

class RunnerSound : public ::testing::TestWithParam<GameForm> {};

TEST_P(RunnerSound, PlaysWithADeviceAndRunsSilentWithout) {
  GameDataWriter game = SoundGame({ToneWave(440.0, 0.5)}, false);
  game.rooms[0].creationCode.source =
      "sound_loop(snd_0); show_debug_message(\"@playing \" + string(sound_isplaying(snd_0))); game_end();";
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  for (const Case& c : {Case{"null output", {{"ALSOFT_DRIVERS", "null"}}, {}, "@playing 1", false},
                        Case{"-noaudio", {{"ALSOFT_DRIVERS", "null"}}, {"-noaudio"}, "@playing 0", false},
                        Case{"no device", {{"ALSOFT_DRIVERS", "no-such-driver"}}, {}, "@playing 0", true}}) {
    std::vector<std::string> args = {"-game", folder / "game.win"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const RunnerResult run =
        RunRunner(WithFormArguments(args, GetParam()), {.environment = c.environment, .timeoutSeconds = 30.0});
    EXPECT_EQ(run.exitCode, 0) << c.what << "\n" << run.output;
    EXPECT_NE(run.output.find(c.playing), std::string::npos) << c.what << "\n" << run.output;
    EXPECT_EQ(Count(run.output, "No sound device could be opened"), c.silentLine ? 1u : 0u) << c.what;
    EXPECT_EQ(run.output.find("AL Error"), std::string::npos) << c.what;
  }
}

TEST_P(RunnerSound, AudioEngineGamePlaysByName) {
  GameDataWriter game = SoundGame({ToneWave(440.0, 0.5)}, true);
  game.rooms[0].creationCode.source =
      "var v; v = audio_play_sound(snd_0, 1, 0);"
      "show_debug_message(\"@voice \" + string(v) + \" \" + string(audio_is_playing(v)) + \" \" +"
      " string(audio_sound_length(snd_0)));"
      "sound_play(snd_0); game_end();";
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(game, folder / "game.win", GetParam()));
  const RunnerResult run =
      RunRunner(WithFormArguments({"-game", folder / "game.win"}, GetParam()),
                {.environment = {{"ALSOFT_DRIVERS", "null"}}, .timeoutSeconds = 30.0});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("@voice 200000 1 0.50"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Audio_Load()"), std::string::npos);
  EXPECT_NE(run.output.find("Audio_WAVs()"), std::string::npos);
}

INSTANTIATE_GAME_FORMS(RunnerSound);

}  // namespace

// Games played by the runner binary with "-record" and "-playback": a recording holds one
// frame per step, playing it back gives the game the recorded input instead of live input,
// and a damaged or missing file leaves the game on live input.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runner/input.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0, kStep = 3, kKeyboard = 5, kMouse = 6, kKeyPress = 9;
constexpr int32_t kStepBegin = 1, kStepEnd = 2;
constexpr int32_t kGlobalLeftPressed = 53;

// Every begin step prints the input state the step reads. The game ends in step `steps`.
// With `setsInput` the end steps of steps 1 and 2 write input variables: live input that
// headless runs can still record, since writes reach the state the next step takes over.
GameDataWriter EchoGame(int steps, bool setsInput) {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  gamedata::Object echo;
  echo.name = "obj_echo";
  std::string endStep = "if (global.n == " + std::to_string(steps) + ") game_end();";
  if (setsInput) {
    endStep = "if (global.n == 1) { keyboard_string = \"hi\"; keyboard_key = 66; keyboard_lastkey = -1; "
              "keyboard_lastchar = \"z\"; mouse_button = 2; mouse_lastbutton = 7; } "
              "if (global.n == 2) keyboard_string += \"!\"; " +
              endStep;
  }
  echo.events = {
      {kCreate, 0, {"global.n = 0;"}},
      {kStep, kStepBegin,
       {"global.n += 1; show_debug_message(\"@\" + string(global.n) + \": key \" + string(keyboard_key) + "
        "\" last \" + string(keyboard_lastkey) + \" char '\" + keyboard_lastchar + \"' text '\" + "
        "keyboard_string + \"' button \" + string(mouse_button) + \" \" + string(mouse_lastbutton));"}},
      {kKeyPress, 65, {"show_debug_message(\"@\" + string(global.n) + \": pressed A\");"}},
      {kKeyboard, 65, {"show_debug_message(\"@\" + string(global.n) + \": holding A\");"}},
      {kMouse, kGlobalLeftPressed, {"show_debug_message(\"@\" + string(global.n) + \": left pressed\");"}},
      {kStep, kStepEnd, {endStep}},
  };
  game.objects.push_back(echo);
  gamedata::Room room;
  room.name = "rm_only";
  room.speed = 1000;
  room.instances = {{0, 0, 0, 100001, {""}}};
  game.rooms.push_back(room);
  return game;
}

struct Played {
  RunnerResult run;
  std::string lines;  // the "@" lines without the "@", one per line
};

Played Play(const std::string& gameFile, const std::vector<std::string>& options) {
  std::vector<std::string> args = {"-game", gameFile};
  args.insert(args.end(), options.begin(), options.end());
  Played played;
  played.run = RunRunner(args);
  std::istringstream in(played.run.output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '@') played.lines += line.substr(1) + "\n";
  }
  EXPECT_EQ(played.run.exitCode, 0) << played.run.output;
  EXPECT_FALSE(played.run.timedOut);
  return played;
}

void WriteFrames(const std::string& path, const std::vector<InputFrame>& frames, size_t extraBytes = 0) {
  std::ofstream out(path, std::ios::binary);
  for (const InputFrame& frame : frames) {
    const auto bytes = IO_EncodeFrame(frame);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  out << std::string(extraBytes, '\0');
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Two frames of a pressed and held "A", typed text and the left button. (The mouse position
// is recorded too, but where it lands in the room depends on the window.)
std::vector<InputFrame> PressedAFrames() {
  InputFrame first;
  InputFrame second;
  second.keyDown[65] = second.keyPressed[65] = 1;
  second.key = second.lastKey = 65;
  second.lastChar = 'b';
  second.keyboardString[0] = u'a';
  second.keyboardString[1] = u'b';
  second.mouseDown[0][0] = second.mousePressed[0][0] = 1;
  second.mouseButton[0] = second.mouseLastButton[0] = 1;
  second.windowMouseX = 30;
  second.windowMouseY = 40;
  InputFrame third = second;
  third.keyPressed[65] = 0;
  third.mousePressed[0][0] = 0;
  return {first, second, third};
}

const char* const kPressedAPlayed =
    "1: key 0 last 0 char '' text '' button 0 0\n"
    "2: key 65 last 65 char 'b' text 'ab' button 1 1\n"
    "2: holding A\n"
    "2: pressed A\n"
    "2: left pressed\n"
    "3: key 65 last 65 char 'b' text 'ab' button 1 1\n"
    "3: holding A\n"
    // The file has ended: the last frame's state stays, without presses.
    "4: key 65 last 65 char 'b' text 'ab' button 1 1\n"
    "4: holding A\n";

// Every form of the game records and plays back alike.
class InputRecordingGame : public ::testing::TestWithParam<GameForm> {
 protected:
  bool Write(const GameDataWriter& game, const std::string& path) const {
    return WriteGameInForm(game, path, GetParam());
  }
  std::vector<std::string> With(std::vector<std::string> options) const {
    return WithFormArguments(std::move(options), GetParam());
  }
};

TEST_P(InputRecordingGame, ARecordedRunPlaysBackWithTheSameOutput) {
  TempFolder folder;
  const std::string recording = folder / "input.rec";
  ASSERT_TRUE(Write(EchoGame(4, true), folder / "typing.win"));
  ASSERT_TRUE(Write(EchoGame(4, false), folder / "quiet.win"));

  const Played recorded = Play(folder / "typing.win", With({"-record", recording}));
  EXPECT_EQ(recorded.lines,
            "1: key 0 last 0 char '' text '' button 0 0\n"
            "2: key 66 last -1 char 'z' text 'hi' button 2 7\n"
            "3: key 66 last -1 char 'z' text 'hi!' button 2 7\n"
            "4: key 66 last -1 char 'z' text 'hi!' button 2 7\n")
      << recorded.run.output;
  // One frame for each step.
  EXPECT_EQ(std::filesystem::file_size(recording), 4 * kRecordFrameBytes);

  // The same game played back prints the same; so does the game that writes no input, whose
  // input can only have come from the file.
  for (const char* game : {"typing.win", "quiet.win"}) {
    const Played played = Play(folder / game, With({"-playback", recording}));
    EXPECT_EQ(played.lines, recorded.lines) << game << "\n" << played.run.output;
    EXPECT_EQ(played.run.output.find("damaged"), std::string::npos) << played.run.output;
  }
  EXPECT_EQ(std::filesystem::file_size(recording), 4 * kRecordFrameBytes);
}


TEST_P(InputRecordingGame, PlaybackRaisesTheRecordedKeyAndMouseEvents) {
  TempFolder folder;
  const std::string file = folder / "input.rec";
  ASSERT_TRUE(Write(EchoGame(4, false), folder / "game.win"));
  WriteFrames(file, PressedAFrames());
  const std::vector<uint8_t> before = FileBytes(file);
  EXPECT_EQ(Play(folder / "game.win", With({"-playback", file})).lines, kPressedAPlayed);

  // With both options the later one names the file, and playback wins: the file is read and
  // left as it was.
  const Played both = Play(folder / "game.win", With({"-record", folder / "other.rec", "-playback", file}));
  EXPECT_EQ(both.lines, kPressedAPlayed);
  EXPECT_EQ(FileBytes(file), before);
  EXPECT_FALSE(std::filesystem::exists(folder / "other.rec"));
}

TEST_P(InputRecordingGame, DamagedOrMissingPlaybackFilesLeaveTheGameOnLiveInput) {
  TempFolder folder;
  ASSERT_TRUE(Write(EchoGame(4, false), folder / "game.win"));
  const std::string live =
      "1: key 0 last 0 char '' text '' button 0 0\n"
      "2: key 0 last 0 char '' text '' button 0 0\n"
      "3: key 0 last 0 char '' text '' button 0 0\n"
      "4: key 0 last 0 char '' text '' button 0 0\n";

  // Cut short inside a frame: refused as a whole before the game starts.
  const std::string cut = folder / "cut.rec";
  WriteFrames(cut, PressedAFrames(), 100);
  Played played = Play(folder / "game.win", With({"-playback", cut}));
  EXPECT_EQ(played.lines, live);
  EXPECT_NE(played.run.output.find("Playback file is damaged: " + cut), std::string::npos) << played.run.output;

  // Not a regular file (a pipe would block the start), or not there at all.
  const std::string pipe = folder / "pipe.rec";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {folder.path(), pipe, folder / "missing.rec"}) {
    played = Play(folder / "game.win", With({"-playback", path}));
    EXPECT_EQ(played.lines, live) << path;
    EXPECT_EQ(played.run.output.find("Playback file is damaged: " + path) != std::string::npos,
              path != folder / "missing.rec")
        << played.run.output;
  }

  // A frame no recording could hold ends the playback there; the last good frame stays.
  std::vector<InputFrame> frames = PressedAFrames();
  frames[2].keyReleased[66] = 9;
  const std::string bad = folder / "bad.rec";
  WriteFrames(bad, frames);
  played = Play(folder / "game.win", With({"-playback", bad}));
  EXPECT_EQ(played.lines,
            "1: key 0 last 0 char '' text '' button 0 0\n"
            "2: key 65 last 65 char 'b' text 'ab' button 1 1\n"
            "2: holding A\n"
            "2: pressed A\n"
            "2: left pressed\n"
            "3: key 65 last 65 char 'b' text 'ab' button 1 1\n"
            "3: holding A\n"
            "4: key 65 last 65 char 'b' text 'ab' button 1 1\n"
            "4: holding A\n");
  EXPECT_NE(played.run.output.find("Playback file is damaged at frame 3"), std::string::npos) << played.run.output;
}

INSTANTIATE_GAME_FORMS(InputRecordingGame);

}  // namespace

// The local mouse events of a game played back from a recording, in a room seen through a
// view: they find the instance under the mouse in the room, where mouse_x and mouse_y are.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runner/input.h"
#include "support/game_data_writer.h"
#include "support/game_forms.h"
#include "support/runner_process.h"

namespace {

constexpr int32_t kCreate = 0, kStep = 3, kMouse = 6;
constexpr int32_t kStepBegin = 1, kStepEnd = 2;
// Local mouse events.
constexpr int32_t kLeftHeld = 0, kNoButton = 3, kLeftPressed = 4, kLeftReleased = 7, kEnter = 10, kLeave = 11;

std::string Said(const std::string& what) {
  return "show_debug_message(\"@\" + string(global.n) + \": " + what + "\");";
}

// A 16 x 16 target at (228, 138) in a 640 x 480 room seen through a 160 x 120 view from
// (220, 130): the window point (15, 15) is the room point (235, 145), on the target.
GameDataWriter TargetGame(int steps) {
  GameDataWriter game;
  game.header.lastInstanceId = 100100;
  gamedata::Sprite square;
  square.name = "spr_square";
  square.width = square.height = 16;
  square.bboxRight = square.bboxBottom = 15;
  square.bboxMode = 1;
  square.frames = {0};
  game.sprites.push_back(square);
  game.texturePageEntries.push_back({0, 0, 16, 16, 0, 0, 16, 16, 16, 16, 0});
  game.textures.push_back(gamedata::RawImage(16, 16, std::vector<uint8_t>(16 * 16 * 4, 255)));

  gamedata::Object target;
  target.name = "obj_target";
  target.sprite = 0;
  target.events = {
      {kCreate, 0, {"global.n = 0;"}},
      {kStep, kStepBegin,
       {"global.n += 1; show_debug_message(\"@\" + string(global.n) + \": at \" + string(mouse_x) + \",\" + "
        "string(mouse_y));"}},
      {kMouse, kLeftHeld, {Said("held")}},
      {kMouse, kNoButton, {Said("no button")}},
      {kMouse, kLeftPressed, {Said("pressed")}},
      {kMouse, kLeftReleased, {Said("released")}},
      {kMouse, kEnter, {Said("enter")}},
      {kMouse, kLeave, {Said("leave")}},
      {kStep, kStepEnd, {"if (global.n == " + std::to_string(steps) + ") game_end();"}},
  };
  game.objects.push_back(target);
  gamedata::Room room;
  room.name = "rm_viewed";
  room.speed = 1000;
  room.enableViews = true;
  room.views.push_back({1, 220, 130, 160, 120, 0, 0, 160, 120, 0, 0, -1, -1, -1});
  room.instances = {{228, 138, 0, 100001, {""}}};
  game.rooms.push_back(room);
  return game;
}

InputFrame MouseAt(int32_t x, int32_t y, bool held, bool pressed, bool released) {
  InputFrame frame;
  frame.windowMouseX = x;
  frame.windowMouseY = y;
  frame.mouseDown[0][0] = held ? 1 : 0;
  frame.mousePressed[0][0] = pressed ? 1 : 0;
  frame.mouseReleased[0][0] = released ? 1 : 0;
  frame.mouseButton[0] = held ? 1 : 0;
  return frame;
}

class MouseEventsUnderAView : public ::testing::TestWithParam<GameForm> {};

TEST_P(MouseEventsUnderAView, LocalEventsReachTheInstanceUnderTheMouseInTheRoom) {
  TempFolder folder;
  ASSERT_TRUE(WriteGameInForm(TargetGame(5), folder / "game.win", GetParam()));
  const std::vector<InputFrame> frames = {
      MouseAt(150, 110, false, false, false),  // the room point (370, 240): off the target
      MouseAt(15, 15, false, false, false),    // onto it
      MouseAt(15, 15, true, true, false),
      MouseAt(15, 15, false, false, true),
      MouseAt(150, 110, false, false, false),  // off it again
  };
  {
    std::ofstream out(folder / "input.rec", std::ios::binary);
    for (const InputFrame& frame : frames) {
      const auto bytes = IO_EncodeFrame(frame);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
  }
  const RunnerResult run = RunRunner(
      WithFormArguments({"-game", folder / "game.win", "-playback", folder / "input.rec"}, GetParam()),
      {.timeoutSeconds = 30.0});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  std::string lines;
  std::istringstream in(run.output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '@') lines += line.substr(1) + "\n";
  }
  EXPECT_EQ(lines,
            "1: at 370,240\n"
            "2: at 235,145\n"
            "2: no button\n"
            "2: enter\n"
            "3: at 235,145\n"
            "3: held\n"
            "3: pressed\n"
            "4: at 235,145\n"
            "4: no button\n"
            "4: released\n"
            "5: at 370,240\n"
            "5: leave\n")
      << run.output;
}

INSTANTIATE_GAME_FORMS(MouseEventsUnderAView);

}  // namespace

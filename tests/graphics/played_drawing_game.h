// Games played headless by the runner binary in each of the game forms: the "@" lines they
// print are kept, and the picture the game saves with screen_save ("shot.png", 64 x 64) is
// read back.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "graphics/drawing_fixture.h"
#include "support/runner_process.h"

class PlayedDrawingGame : public DrawingGameTest {
 protected:
  // A 64 x 64 room, black, in which the game saves "shot.png" and ends by itself.
  static gamedata::Room BlackRoom() {
    gamedata::Room room;
    room.name = "rm_shot";
    room.width = room.height = kCanvas;
    room.speed = 1000;
    room.colour = 0x000000;
    return room;
  }

  // Plays the game in this test's form: its "@" lines are kept as `lines`, its picture as
  // `shot` ("first.png", if it saves one, is readable with SavedPng).
  void Play(const GameDataWriter& game, const std::map<std::string, std::string>& environment = {},
            const std::vector<std::string>& extraArgs = {}) {
    RunnerOptions options;
    options.environment = environment;
    options.timeoutSeconds = 60.0;
    std::vector<std::string> args = {"-noaudio"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    const RunnerResult run = RunGameSaving(game, {"first.png", "shot.png"}, args, options);
    output = run.output;
    ASSERT_EQ(run.exitCode, 0) << run.output;
    lines.clear();
    for (const std::string& line : SaidLines(run.output)) lines += line + "\n";
    shot = SavedPng("shot.png", width, height);
    ASSERT_EQ(width, kCanvas);
    ASSERT_EQ(height, kCanvas);
  }

  uint32_t At(int x, int y) const {
    return shot.empty() ? 0u : shot[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }

  // An object whose interface drawing saves the picture of the frame before in frame `frame`.
  static gamedata::Object Camera(int frame, const std::string& before = "") {
    gamedata::Object camera;
    camera.name = "obj_camera";
    camera.events.push_back({0, 0, {"global.frames = 0;"}});
    camera.events.push_back({8, 64,
                             {"global.frames += 1; if (global.frames == " + std::to_string(frame) + ") { " +
                              before + " screen_save(\"shot.png\"); game_end(); }"}});
    return camera;
  }

  // A game of one painter object with these events, and the camera saving in `frame`.
  static GameDataWriter PainterGame(std::vector<gamedata::Event> events, int frame, const std::string& before = "") {
    GameDataWriter game = BaseGame();
    game.header.lastInstanceId = 100100;
    gamedata::Object painter;
    painter.name = "obj_painter";
    painter.events = std::move(events);
    game.objects.push_back(painter);
    game.objects.push_back(Camera(frame, before));
    gamedata::Room room = BlackRoom();
    room.instances = {{0, 0, 0, 100001, {""}}, {0, 0, 1, 100002, {""}}};
    game.rooms.push_back(room);
    return game;
  }

  std::vector<uint32_t> shot;
  std::string lines, output;
  int width = 0, height = 0;
};

// Games played headless by the runner binary on both executors (the virtual machine and
// -oldexec): the "@" lines they print must agree, and the picture the game saves with
// screen_save ("shot.png", 64 x 64) is read back.
#pragma once

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/drawing_fixture.h"
#include "support/runner_process.h"

class PlayedDrawingGame : public DrawingTest {
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

  // Plays the game on both executors: the "@" lines must agree; the picture of the last run
  // is kept as `shot`.
  void Play(const GameDataWriter& game, const std::map<std::string, std::string>& environment = {},
            const std::vector<std::string>& extraArgs = {}) {
    std::string previous;
    for (const bool tree : {false, true}) {
      SCOPED_TRACE(tree ? "tree interpreter" : "machine");
      TempFolder folder;
      ASSERT_TRUE(game.WriteFile(folder / "game.win"));
      RunnerOptions options;
      options.environment = environment;
      options.environment["XDG_DATA_HOME"] = folder / "data";
      options.timeoutSeconds = 30.0;
      std::vector<std::string> args = {"-game", folder / "game.win", "-noaudio"};
      if (tree) args.push_back("-oldexec");
      args.insert(args.end(), extraArgs.begin(), extraArgs.end());
      const RunnerResult run = RunRunner(args, options);
      ASSERT_EQ(run.exitCode, 0) << run.output;
      lines.clear();
      std::istringstream in(run.output);
      for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '@') lines += line.substr(1) + "\n";
      }
      if (tree) {
        EXPECT_EQ(lines, previous);
      }
      previous = lines;
      for (const char* name : {"first.png", "shot.png"}) {
        const std::string saved = FindFile(folder / "data", name);
        if (saved.empty()) continue;
        std::filesystem::copy_file(saved, saveArea->path() + "/" + name,
                                   std::filesystem::copy_options::overwrite_existing);
      }
      shot = SavedPng("shot.png", width, height);
      ASSERT_EQ(width, kCanvas);
      ASSERT_EQ(height, kCanvas);
      output = run.output;
    }
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

// Loads a game built with the game data writer into this process as the runner does, up to
// the start of its first room, with the console kept quiet (its text shown on failure).
#pragma once

#include "data/game_data_writer.h"
#include "platform/console.h"

class InProcessGame {
 public:
  InProcessGame();
  ~InProcessGame();
  InProcessGame(const InProcessGame&) = delete;
  InProcessGame& operator=(const InProcessGame&) = delete;

  // False (with the reason on stderr) when the game does not load or compile.
  bool Load(const GameDataWriter& game);
  // Starts the game (its first room); false when no room is running afterwards.
  bool Start();

 private:
  bool Fail(const char* what);
  TMemoryConsole quiet_;
  tagIConsole* saved_ = nullptr;
  bool started_ = false;
};

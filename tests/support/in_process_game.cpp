#include "support/in_process_game.h"

#include <cstdio>

#include "data/game_loader.h"
#include "data/objects.h"
#include "data/rooms.h"
#include "data/scripts.h"
#include "data/timelines.h"
#include "runner/room_start.h"
#include "script/builtin_variables.h"
#include "script/code_exec.h"
#include "script/constants.h"
#include "script/global_variables.h"
#include "script/vm/vm.h"

InProcessGame::InProcessGame() : saved_(g_DebugConsole) { g_DebugConsole = &quiet_; }

InProcessGame::~InProcessGame() {
  if (started_) {
    EndGame();
    Persistent_FreeAll();
  }
  g_DebugConsole = saved_;
}

bool InProcessGame::Fail(const char* what) {
  std::fprintf(stderr, "the game %s\n%s", what, quiet_.Text().c_str());
  return false;
}

bool InProcessGame::Load(const GameDataWriter& game) {
  Constant_Init();
  Variable_BuiltIn_Init();
  Code_Exec_Install();
  VM_Install();
  Room_InstallHooks();
  if (GameData_LoadImage(game.Build()) != GameLoadResult::Loaded) return Fail("did not load");
  Variable_Global_Init();
  if (!Script_Prepare() || !TimeLine_Prepare() || !Object_Prepare() || !Room_Prepare()) {
    return Fail("did not compile");
  }
  return true;
}

bool InProcessGame::Start() {
  StartGame();
  started_ = true;
  return Run_CurrentRoom() != nullptr || Fail("room did not start");
}

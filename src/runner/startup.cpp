#include "runner/startup.h"

#include <cstring>
#include <string>

#include "data/game_loader.h"
#include "platform/console.h"

int Runner_Main(int argc, char** argv) {
  std::string game;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-game") == 0 && i + 1 < argc) game = argv[++i];
  }
  if (game.empty()) {
    g_DebugConsole->Output("No game file given: use -game <file>\n");
    return 1;
  }
  if (!LoadGameData(game)) return 1;
  return 0;
}

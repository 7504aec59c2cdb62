#include "runner/startup.h"

#include <cstring>
#include <filesystem>
#include <string>

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
  std::error_code ec;
  if (!std::filesystem::is_regular_file(game, ec)) {
    g_DebugConsole->Output("Failed to load the game\n");
    return 1;
  }
  return 0;
}

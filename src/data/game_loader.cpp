#include "data/game_loader.h"

#include <filesystem>

#include "platform/console.h"

bool LoadGameData(const std::string& file) {
  g_DebugConsole->Output("LoadGameData()\n");
  std::error_code ec;
  return std::filesystem::is_regular_file(file, ec);
}

// Fuzz target: any byte string as a game data file, as a debug side file and as options.ini.
// The load must succeed or fail cleanly; the sanitizers catch every read outside the image.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/code_table.h"
#include "data/debug_file.h"
#include "data/game_data.h"
#include "data/game_loader.h"
#include "data/game_options.h"
#include "platform/console.h"
#include "platform/ini_file.h"
#include "script/function_table.h"
#include "seed_games.h"

namespace {
class SilentConsole final : public tagIConsole {
 public:
  void Output(const char*, ...) override {}
};
SilentConsole g_silent;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_DebugConsole = &g_silent;
  for (const char* name : kSeedFunctionNames) Function_Add(name, nullptr, -1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  if (GameData_LoadImage(bytes) == GameLoadResult::Loaded) {
    // What later readers do with a loaded file: every string and every stored code entry.
    for (uint32_t i = 0; i < StringTable_Count(); ++i) (void)StringTable_Get(i);
    for (uint32_t i = 0; i < CodeTable_Count(); ++i) (void)CodeTable_Get(i)->words.size();
  }
  DebugFile_Load(bytes);
  for (uint32_t i = 0; i < 4; ++i) {
    (void)DebugFile_Source(i);
    (void)DebugFile_Info(i);
  }
  IniFile ini;
  ini.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  Options_ReadIni(ini);
  return 0;
}

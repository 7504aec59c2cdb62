#include "runner/startup.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>
#include <string>

#include "data/game_data.h"
#include "data/game_loader.h"
#include "data/game_preparation.h"
#include "data/paths.h"
#include "functions/registry.h"
#include "platform/console.h"
#include "platform/file_locations.h"
#include "platform/memory_manager.h"
#include "platform/random.h"
#include "platform/temp_directory.h"
#include "platform/timing.h"
#include "runner/command_line.h"
#include "runner/game_locations.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/open_file_dialog.h"
#include "runner/pending_subsystems.h"
#include "runner/room_start.h"
#include "runner/run_globals.h"
#include "runner/run_options.h"
#include "script/extensions.h"
#include "script/external_calls.h"
#include "script/code.h"
#include "script/vm/vm.h"
#include "script/builtin_variables.h"
#include "script/code_exec.h"
#include "script/constants.h"
#include "script/global_variables.h"
#include "script/vm/vm.h"
#include "script/vm/vm_strings.h"

namespace {

constexpr int kExitStartFailed = 1;
constexpr int32_t kRandomSeed = 2101988;
constexpr int kBlackFrames = 5;

int g_ExitStatus = 0;

bool FileIsReadable(const std::string& path) {
  std::error_code ec;
  if (path.empty() || std::filesystem::is_directory(path, ec)) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

// The folder of the executable followed by "data.win"; empty when the executable's path
// cannot be read.
std::string DataFileBesideExecutable() {
  const std::string& exe = GetExecutablePath();
  size_t cut = exe.rfind('/');
  if (cut == std::string::npos) return {};
  return exe.substr(0, cut + 1) + "data.win";
}

void ShowBlankFrame() {
  pending::GR_D3D_Start_Frame();
  pending::GR_Draw_Clear(0xFF000000u);
  pending::GR_D3D_Finish_Frame(true);
  ProcessMessages();
}

}  // namespace

int Runner_ExitStatus() { return g_ExitStatus; }

bool InitSubsystems() {
  pending::SetEmbeddedImageTable();
  pending::Crc32_BuildTable();
  File_InitTempDirectory();
  pending::GR_Draw_Init();
  Constant_Init();
  pending::GR_Window_Clear_Views();
  pending::Particle_Init();
  Run_Global_Init();
  pending::Sound_StartHook();
  Variable_BuiltIn_Init();
  Path_Init();
  pending::HighScore_Clear();
  ProcessMessages();
  return true;
}

void RegisterBuiltinFunctions() {
  pending::HighScore_Load();
  Functions_RegisterAll();
}

void Runner_Initialise() {
  if (!g_RunOptions.gameFileName) {
    std::optional<std::string> chosen = Runner_ChooseGameFile();
    if (!chosen) {
      g_ExitStatus = kExitStartFailed;
      return;
    }
    g_RunOptions.gameFileName = *chosen;
    GameLocations_Reset();
  }
  const std::string& gameFile = *g_RunOptions.gameFileName;
  // Nothing further can start without the file: say which file it was and stop here,
  // before any window is made.
  if (!FileIsReadable(gameFile)) {
    g_DebugConsole->Output("Cannot open the game file \"%s\"\n", gameFile.c_str());
    g_DebugConsole->Output("Failed to load the game\n");
    g_ExitStatus = kExitStartFailed;
    return;
  }

  VM_Install();
  VM_SetFileStrings(StringTable_Count, StringTable_Get);
  VM_ScriptTrace = g_RunOptions.scriptTrace;
  for (const RunBreakpoint& bp : g_RunOptions.breakpoints) VM_Breakpoint_Add(bp.codeName, bp.line);
  FileLocations_SetGameFolder(GetGameDirectory());
  Code_SetUseVM(g_RunOptions.useVM);
  External_SetCallsDisabled(g_RunOptions.externalCallsDisabled);
  Extension_Install();
  Preparation_Hooks().prepareExtensions = Extension_Prepare;
  Code_Exec_Install();
  Room_InstallHooks();
  // User constants are evaluated for a temporary instance at (0, 0) of object 0.
  Constant_SetTemporaryInstanceProvider([](const std::function<bool(CInstance*)>& body) {
    CInstance temporary(0.0f, 0.0f, 0, 0, false);
    return body(&temporary);
  });
  Variable_SetWorkingDirectory(gameFile);
  RunnerLoadGame(gameFile);
  g_DebugConsole->Output("Get Resolution\n");
  LoadGameCode();
  g_DebugConsole->Output("Create Window\n");
  pending::Window_Create();
  g_DebugConsole->Output("Init Graphics\n");
  if (!InitGraphics()) {
    g_ExitStatus = kExitStartFailed;
    return;
  }
  pending::IO_Init();
  ProcessMessages();
  for (int i = 0; i < kBlackFrames; ++i) ShowBlankFrame();
  pending::GR_D3D_Start_Frame();
  pending::Particle_LoadShapeTextures();

  g_DebugConsole->Output("Create Score Form\n");
  pending::ScoreForm_Create();
  g_DebugConsole->Output("Create Load Form\n");
  pending::LoadForm_Create();
  g_DebugConsole->Output("Create Error Form\n");
  pending::ErrorForm_Create();

  if (!Runner_LoadAndStart()) g_ExitStatus = kExitStartFailed;
}

bool Runner_LoadAndStart() {
  Random_SetSeed(kRandomSeed);
  if (!LoadGameData(*g_RunOptions.gameFileName)) {
    g_DebugConsole->Output("Failed to load the game\n");
    return false;
  }
  Runner_ProgressInit(Runner_LoadForm(), false);
  // The loader has read the game's name, which names the save area.
  FileLocations_SetGameFolder(GetGameDirectory());
  FileLocations_SetSaveArea(GetSaveDirectory());
  Variable_Global_Init();
  g_DebugConsole->Output("PrepareGame()\n");
  if (!PrepareGame()) return false;
  g_DebugConsole->Output("Run_Start\n");
  Run_Start();
  return true;
}

void Run_Start() {
  if (Running == 0) {
    Running = 1;
    StartGame();
  }
  Running = 1;
  Paused = 0;
  Run_EnterMainLoop();
}

void Run_EnterMainLoop() {
  Timing_Init();
  MainLoop_StartClock();
  ProcessMessages();
  g_DebugConsole->Output("**********************************.\n");
  g_DebugConsole->Output("Entering main loop.\n");
  g_DebugConsole->Output("**********************************.\n");
  MemoryManager::DumpStatistics("Current Memory Stats");
}

void GameEnd_Cleanup() {
  pending::IO_Free();
  pending::Sound_Quit();
  pending::DataFile_RemoveAll();
}

int Runner_Main(int argc, char** argv) {
  g_ExitStatus = 0;
  CommandLine_Keep(argc, argv);

  // A game shipped with the runner beside it is played as it is: no option is honoured.
  std::string bundled = DataFileBesideExecutable();
  if (FileIsReadable(bundled)) {
    g_RunOptions.gameFileName = bundled;
    ParseCommandLine({});
  } else {
    ParseCommandLine(CommandLine_Arguments());
  }
  GameLocations_Reset();

  if (!InitSubsystems()) return g_ExitStatus;
  Runner_Initialise();
  if (Running == 1) MainLoop_Run();
  if (Running == 0) EndGame();
  GameEnd_Cleanup();
  pending::Window_PostQuit();
  ShutdownSubsystems();
  return g_ExitStatus;
}

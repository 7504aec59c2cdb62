#include "runner/startup.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>
#include <string>

#include "audio/sound_hardware.h"
#include "data/code_table.h"
#include "data/game_data.h"
#include "data/game_loader.h"
#include "data/included_files.h"
#include "data/game_preparation.h"
#include "data/paths.h"
#include "data/background.h"
#include "data/game_options.h"
#include "data/resource_textures.h"
#include "data/sprite.h"
#include "functions/registry.h"
#include "graphics/surfaces.h"
#include "graphics/device.h"
#include "graphics/graphics_hooks.h"
#include "graphics/primitives.h"
#include "graphics/texture_pages.h"
#include "graphics/texture_table.h"
#include "graphics/transitions.h"
#include "platform/bitmap32.h"
#include "runner/debug_window.h"
#include "runner/display.h"
#include "platform/ini_file.h"
#include "runner/game_step.h"
#include "runner/highscore.h"
#include "runner/input.h"
#include "runner/pending_room.h"
#include "runner/room_drawing.h"
#include "runner/window.h"
#include "platform/console.h"
#include "platform/file_locations.h"
#include "platform/hashes.h"
#include "platform/memory_manager.h"
#include "platform/termination_signal.h"
#include "platform/random.h"
#include "platform/temp_directory.h"
#include "platform/timing.h"
#include "runner/command_line.h"
#include "runner/game_locations.h"
#include "runner/instance.h"
#include "runner/main_loop.h"
#include "runner/open_file_dialog.h"
#include "graphics/embedded_images.h"
#include "graphics/fonts.h"
#include "graphics/particles/particle_types.h"
#include "runner/pending_subsystems.h"
#include "runner/room_start.h"
#include "runner/saved_game.h"
#include "runner/run_globals.h"
#include "runner/run_options.h"
#include "runner/startup_hooks.h"
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
  GR_D3D_Start_Frame();
  GR_Draw_Clear(0xFF000000u);
  GR_D3D_Finish_Frame(true);
  ProcessMessages();
}

void CreateMainWindow() {
  const GameHeader& header = GameData_Header();
  MainWindowSettings settings;
  settings.windowFlags = header.windowFlags;
  if (g_RunOptions.forceWindowed) settings.windowFlags &= ~kWindowFlagFullScreen;
  settings.gameWidth = header.windowWidth;
  settings.gameHeight = header.windowHeight;
  settings.allowScreenModeSwitch = Options_Get().altEnterTogglesFullScreen;
  if (!MainWindow_Create(header.windowWidth, header.windowHeight, settings)) {
    g_DebugConsole->Output("The main window could not be created\n");
  }
}

}  // namespace

int Runner_ExitStatus() { return g_ExitStatus; }

bool InitSubsystems() {
  SetEmbeddedImageTable();
  Crc32_BuildTable();
  File_InitTempDirectory();
  GR_Draw_Init();
  Constant_Init();
  GR_Window_Clear_Views();
  Particle_Init();
  Run_Global_Init();
  Sound_SetOff(g_RunOptions.noAudio);
  Variable_BuiltIn_Init();
  Path_Init();
  HighScore_Clear();
  ProcessMessages();
  return true;
}

void RegisterBuiltinFunctions() {
  // The header has just been read: its game name places the save area the table is kept in.
  Run_SetGameName(GameData_Header().gameName);
  HighScore_Load();
  Functions_RegisterAll();
}

void Runner_InstallEngine() {
  VM_Install();
  VM_SetFileStrings(StringTable_Count, StringTable_Get);
  Code_SetUseVM(g_RunOptions.useVM);
  Code_SetKeepTrees(false);
  External_SetCallsDisabled(g_RunOptions.externalCallsDisabled);
  Extension_Install();
  Code_Exec_Install();
  Runner_InstallHooks();
  // User constants are evaluated for a temporary instance at (0, 0) of object 0.
  Constant_SetTemporaryInstanceProvider([](const std::function<bool(CInstance*)>& body) {
    CInstance temporary(0.0f, 0.0f, 0, 0, false);
    return body(&temporary);
  });
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

  Runner_InstallEngine();
  FileLocations_SetGameFolder(GetGameDirectory());
  Variable_SetWorkingDirectory(gameFile);
  RunnerLoadGame(gameFile);
  // options.ini, read with the game file, may have switched tracing on or off.
  VM_ScriptTrace = g_RunOptions.scriptTrace;
  g_DebugConsole->Output("Get Resolution\n");
  LoadGameCode();
  // Stored bytecode carries no parse trees for the interpreter to walk: such a game's code
  // stays on the machine whatever the command line asked for.
  if (CodeTable_Active() && !Code_UseVM()) {
    g_DebugConsole->Output("The game's code is stored as bytecode: -oldexec is ignored\n");
    Code_SetUseVM(true);
  }
  g_DebugConsole->Output("Create Window\n");
  CreateMainWindow();
  g_DebugConsole->Output("Init Graphics\n");
  if (!InitGraphics()) {
    g_ExitStatus = kExitStartFailed;
    return;
  }
  IO_Init(g_RunOptions.recordInput, g_RunOptions.playbackInput, g_RunOptions.inputRecordFileName);
  IO_Read_Virtual_Buttons([](const std::string& section, const std::string& key) {
    const std::string* value = GameData_OptionsIni().FindKey(section, key);
    return value != nullptr ? *value : std::string();
  });
  ProcessMessages();
  for (int i = 0; i < kBlackFrames; ++i) ShowBlankFrame();
  GR_D3D_Start_Frame();

  g_DebugConsole->Output("Create Score Form\n");
  pending::ScoreForm_Create();
  g_DebugConsole->Output("Create Load Form\n");
  pending::LoadForm_Create();
  g_DebugConsole->Output("Create Error Form\n");
  pending::ErrorForm_Create();
  Debug_Create();

  if (!Runner_LoadAndStart()) g_ExitStatus = kExitStartFailed;
}

bool Runner_LoadAndStart() {
  Random_SetSeed(kRandomSeed);
  if (!LoadGameData(*g_RunOptions.gameFileName)) {
    g_DebugConsole->Output("Failed to load the game\n");
    return false;
  }
  Runner_ProgressInit(Runner_LoadForm(), false);
  GR_Window_Set_Color(static_cast<uint32_t>(Options_Get().windowColour));
  // The loader has read the game's name, which names the save area.
  Run_SetGameName(GameData_Header().gameName);
  FileLocations_SetGameFolder(GetGameDirectory());
  FileLocations_SetSaveArea(GetSaveDirectory());
  if (!GR_Texture_Pages_Load()) {
    g_DebugConsole->Output("Failed to load the game\n");
    return false;
  }
  Variable_Global_Init();
  g_DebugConsole->Output("PrepareGame()\n");
  if (!PrepareGame()) return false;
  Runner_CheckHooks();
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
  IO_Free();
  Sound_Quit();
  DataFile_RemoveAll();
}

int Runner_Main(int argc, char** argv) {
  g_ExitStatus = 0;
  TerminationSignal_Install();
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
  // A termination signal has ended the loop by now: the room end and game end events run.
  TerminationSignal_Clear();
  if (Running == 0) EndGame();
  GameEnd_Cleanup();
  pending::Window_PostQuit();
  ShutdownSubsystems();
  return g_ExitStatus;
}

#include "runner/startup_hooks.h"

#include <algorithm>
#include <functional>
#include <span>

#include "audio/sound_hardware.h"
#include "data/background.h"
#include "data/game_data.h"
#include "data/game_preparation.h"
#include "data/included_files.h"
#include "data/objects.h"
#include "data/resource_textures.h"
#include "data/sprite.h"
#include "data/timelines.h"
#include "functions/os_functions.h"
#include "graphics/device.h"
#include "graphics/fonts.h"
#include "graphics/graphics_hooks.h"
#include "graphics/overlay_bracket.h"
#include "graphics/profiler.h"
#include "graphics/surfaces.h"
#include "graphics/texture_pages.h"
#include "graphics/texture_table.h"
#include "graphics/transitions.h"
#include "platform/bitmap32.h"
#include "platform/console.h"
#include "platform/memory_manager.h"
#include "platform/message_box.h"
#include "runner/debug_overlay.h"
#include "runner/debug_window.h"
#include "runner/game_step.h"
#include "runner/dialogs.h"
#include "runner/display.h"
#include "runner/instance.h"
#include "runner/input.h"
#include "runner/loading_screen.h"
#include "runner/login_request.h"
#include "runner/main_loop.h"
#include "runner/pending_room.h"
#include "runner/pending_subsystems.h"
#include "runner/room_drawing.h"
#include "runner/room_start.h"
#include "runner/run_options.h"
#include "runner/saved_game.h"
#include "runner/sdl/error_dialog.h"
#include "runner/window.h"
#include "script/builtin_variables.h"
#include "script/constants.h"
#include "script/error_report.h"
#include "script/extensions.h"
#include "script/variable_access.h"

namespace {

// Run-time sprites and backgrounds make their textures through the texture table; a sprite of
// the game file that gains frames reads its own back from the texture pages.
void InstallResourceTextures() {
  ResourceTextures_Install({
      [](const CBitmap32& image) -> int32_t {
        if (!image.IsValid()) return -1;
        const std::span<const uint32_t> pixels = image.GetData();
        TextureBitmap bitmap{image.GetWidth(), image.GetHeight(), pixels.data()};
        return GR_Texture_From_Bitmap(&bitmap);
      },
      [](int32_t id) { GR_Texture_Preload(id); },
      [](int32_t id) { GR_Texture_Free(id); },
      GR_TPE_Read_Frame,
  });
}

// The display and the device that InitGraphics asks for, and the textures of the resources.
void InstallGraphicsStart() {
  GraphicsStartHooks& hooks = InitGraphics_Hooks();
  // The display mode the options ask for, against the screen's own colour depth.
  hooks.colourDepth = [] { return Display_GetColourDepth(); };
  hooks.setDisplay = [](const DisplayModeChoice& mode) {
    Display_SetAll(mode.width, mode.height, mode.frequency, mode.depth);
  };
  hooks.askYesNo = [](const std::string& text) { return AskYesNo(text); };
  hooks.createDevice = [](int32_t width, int32_t height, uint32_t flags) {
    if (g_RunOptions.forceWindowed) flags &= ~kInitFullScreen;
    return GR_D3D_Init(MainWindow().window, width, height, flags);
  };
  hooks.makeBackgroundTextures = Background_InitTextures;
  hooks.makeSpriteTextures = Sprite_InitTextures;
  hooks.makeFontTextures = Font_InitTextures;
  // A transition's pictures are the room drawn with no room change pending.
  GR_Transition_SetRoomDrawer([] {
    const int32_t pending = Runner_GetPendingRoom();
    Runner_SetPendingRoom(kPendingRoomNone);
    Room_Draw();
    Runner_SetPendingRoom(pending);
  });
}

void InstallGraphics() {
  GraphicsHooks& hooks = Graphics_Hooks();
  hooks.projectionCorrectionSize = [](int& width, int& height) { return Room_ProjectionSize(width, height); };
  hooks.windowResizable = [] { return (GameData_Header().windowFlags & kWindowFlagSizeable) != 0; };
  hooks.freeAllSurfaces = [] { GR_Surface_Free_All(); };
  InstallResourceTextures();
}

// The debug overlay and profiler over every frame, and the allocator's count of frames.
void InstallDebugOverlay() {
  GraphicsHooks& hooks = Graphics_Hooks();
  hooks.overlayInit = Overlay_Init;
  hooks.overlayBegin = Overlay_Begin;
  hooks.overlayEnd = Overlay_End;
  hooks.overlayDraw = Overlay_Draw;
  hooks.profilerStartFrame = Profiler_StartFrame;
  hooks.profilerLogFPS = Overlay_Shutdown;
  MainLoop_Hooks().countFrame = MemoryManager::CountFrame;
}

// The step's window, input and drawing beyond what rooms install (Room_InstallHooks).
void InstallStep() {
  StepHooks& step = Run_StepHooks();
  step.platformFrameUpdate = Platform_FrameUpdate;
  step.windowVisible = [] { return MainWindow().visible; };
  step.windowActive = Window_IsActive;
  step.joystickPoll = IO_Joystick_Poll;
  step.draw = Room_Draw;
  Input_Hooks().scaleSize = [](int& width, int& height) { return Room_ProjectionSize(width, height); };
  // The VK_ and MB_ names of options.ini, whatever their case.
  Input_Hooks().constant = [](const std::string& name, double& value) {
    const double* found = Constant_Find(name);
    if (found == nullptr) return false;
    value = *found;
    return true;
  };
  MainLoop_Hooks().debugMode = [] { return g_RunOptions.debugMode; };
  MainLoop_Hooks().debugUpdate = Debug_Update;
  MainLoop_Hooks().closeDebugWindow = Debug_Close;
  Error_Hooks().debugUpdate = Debug_Refresh;
}

void InstallWindow() {
  MainWindowState& window = MainWindow();
  window.onPauseEvent = OS_RaisePauseEvent;
  window.raiseMouseEvent = Run_JoystickEvent;
  MainWindow_InstallLoopHooks();
  Preparation_Hooks().presentFrame = LoadingScreen_Present;
  Preparation_Hooks().finishLoading = LoadingScreen_Finish;
}

// Every modal box goes through the window's bracket: full screen is left before it and the
// input cleared after it.
void InstallModalBoxes() {
  ErrorReportHooks& error = Error_Hooks();
  error.graphicsCheckReset = Window_BeforeModalBox;
  error.ioClear = Window_AfterModalBox;
  error.showDialog = ErrorDialog_Show;
  error.postQuit = [] { MainWindow().quitRequested = true; };
  MessageBox_SetCheckReset(Window_BeforeModalBox);
  MessageBox_SetAfterBox(Window_AfterModalBox);
  MessageBox_SetCaption([] { return GR_Window_Get_Caption(); });
  MessageBox_SetDesktop(Dialog_ShowMessage);
}

void InstallBuiltinVariables() {
  BuiltinVariableWorld& world = Variable_BuiltIn_World();
  world.displayAA = [] { return static_cast<int32_t>(Graphics_SupportedMultisampleMask()); };
  world.surfaceWidth = [] { return static_cast<int32_t>(GR_Window_Get_Width()); };
  world.surfaceHeight = [] { return static_cast<int32_t>(GR_Window_Get_Height()); };
}

template <typename Hook>
void Add(std::vector<HookState>& list, const char* table, const char* name, const Hook& hook) {
  list.push_back({std::string(table) + "." + name, static_cast<bool>(hook)});
}

// Each table's size is checked against the hooks listed for it, so a hook added to a table
// without being listed here fails the build.
template <typename Table, size_t Listed>
constexpr bool AllListed() {
  return sizeof(Table) == Listed * sizeof(std::function<void()>);
}

bool IsPending(const std::string& name) {
  return std::find(pending::kPendingHooks.begin(), pending::kPendingHooks.end(), name) != pending::kPendingHooks.end();
}

}  // namespace

void Runner_InstallHooks() {
  Preparation_Hooks().prepareExtensions = Extension_Prepare;
  Preparation_Hooks().extractIncludedFiles = DataFile_Prepare;
  Room_InstallHooks();
  SavedGame_InstallHooks();
  Login_InstallPoll();
  Object_InstallHooks();
  TimeLine_InstallHooks();
  Sound_InstallHooks();
  InstallStep();
  InstallWindow();
  InstallGraphics();
  InstallDebugOverlay();
  InstallGraphicsStart();
  InstallModalBoxes();
  InstallBuiltinVariables();
}

std::vector<HookState> Runner_HookStates() {
  std::vector<HookState> list;
  {
    const MainLoopHooks& h = MainLoop_Hooks();
    static_assert(AllListed<MainLoopHooks, 17>());
    const char* t = "MainLoop";
    Add(list, t, "currentRoomSpeed", h.currentRoomSpeed);
    Add(list, t, "countFrame", h.countFrame);
    Add(list, t, "soundTick", h.soundTick);
    Add(list, t, "graphicsReset", h.graphicsReset);
    Add(list, t, "beginFrame", h.beginFrame);
    Add(list, t, "endFrame", h.endFrame);
    Add(list, t, "step", h.step);
    Add(list, t, "drawVirtualButtons", h.drawVirtualButtons);
    Add(list, t, "changeRoom", h.changeRoom);
    Add(list, t, "endGame", h.endGame);
    Add(list, t, "startGame", h.startGame);
    Add(list, t, "loadPendingGame", h.loadPendingGame);
    Add(list, t, "pumpWindowMessages", h.pumpWindowMessages);
    Add(list, t, "debugMode", h.debugMode);
    Add(list, t, "debugUpdate", h.debugUpdate);
    Add(list, t, "closeDebugWindow", h.closeDebugWindow);
    Add(list, t, "postQuit", h.postQuit);
  }
  {
    const StepHooks& h = Run_StepHooks();
    static_assert(AllListed<StepHooks, 18>());
    const char* t = "Step";
    Add(list, t, "startStep", h.startStep);
    Add(list, t, "platformFrameUpdate", h.platformFrameUpdate);
    Add(list, t, "clearInput", h.clearInput);
    Add(list, t, "keyDown", h.keyDown);
    Add(list, t, "keyPressed", h.keyPressed);
    Add(list, t, "keyReleased", h.keyReleased);
    Add(list, t, "mouseDown", h.mouseDown);
    Add(list, t, "mousePressed", h.mousePressed);
    Add(list, t, "mouseReleased", h.mouseReleased);
    Add(list, t, "wheelUp", h.wheelUp);
    Add(list, t, "wheelDown", h.wheelDown);
    Add(list, t, "mousePosition", h.mousePosition);
    Add(list, t, "windowVisible", h.windowVisible);
    Add(list, t, "windowActive", h.windowActive);
    Add(list, t, "joystickPoll", h.joystickPoll);
    Add(list, t, "particlesUpdate", h.particlesUpdate);
    Add(list, t, "draw", h.draw);
    Add(list, t, "setWindowSize", h.setWindowSize);
  }
  {
    const InputHooks& h = Input_Hooks();
    static_assert(AllListed<InputHooks, 3>());
    Add(list, "Input", "scaleSize", h.scaleSize);
    Add(list, "Input", "loginPoll", h.loginPoll);
    Add(list, "Input", "constant", h.constant);
  }
  {
    const GraphicsHooks& h = Graphics_Hooks();
    static_assert(AllListed<GraphicsHooks, 9>());
    const char* t = "Graphics";
    Add(list, t, "overlayInit", h.overlayInit);
    Add(list, t, "overlayBegin", h.overlayBegin);
    Add(list, t, "overlayEnd", h.overlayEnd);
    Add(list, t, "overlayDraw", h.overlayDraw);
    Add(list, t, "profilerStartFrame", h.profilerStartFrame);
    Add(list, t, "profilerLogFPS", h.profilerLogFPS);
    Add(list, t, "freeAllSurfaces", h.freeAllSurfaces);
    Add(list, t, "projectionCorrectionSize", h.projectionCorrectionSize);
    Add(list, t, "windowResizable", h.windowResizable);
  }
  {
    const PreparationHooks& h = Preparation_Hooks();
    static_assert(AllListed<PreparationHooks, 8>());
    const char* t = "Preparation";
    Add(list, t, "extractIncludedFiles", h.extractIncludedFiles);
    Add(list, t, "prepareExtensions", h.prepareExtensions);
    Add(list, t, "prepareRooms", h.prepareRooms);
    Add(list, t, "startSoundHardware", h.startSoundHardware);
    Add(list, t, "prepareSounds", h.prepareSounds);
    Add(list, t, "createAudioBuffers", h.createAudioBuffers);
    Add(list, t, "presentFrame", h.presentFrame);
    Add(list, t, "finishLoading", h.finishLoading);
  }
  {
    const GraphicsStartHooks& h = InitGraphics_Hooks();
    static_assert(AllListed<GraphicsStartHooks, 7>());
    const char* t = "GraphicsStart";
    Add(list, t, "colourDepth", h.colourDepth);
    Add(list, t, "setDisplay", h.setDisplay);
    Add(list, t, "askYesNo", h.askYesNo);
    Add(list, t, "createDevice", h.createDevice);
    Add(list, t, "makeBackgroundTextures", h.makeBackgroundTextures);
    Add(list, t, "makeSpriteTextures", h.makeSpriteTextures);
    Add(list, t, "makeFontTextures", h.makeFontTextures);
  }
  {
    const ErrorReportHooks& h = Error_Hooks();
    static_assert(AllListed<ErrorReportHooks, 8>());
    const char* t = "Error";
    Add(list, t, "eventFullName", h.eventFullName);
    Add(list, t, "objectName", h.objectName);
    Add(list, t, "timeLineName", h.timeLineName);
    Add(list, t, "graphicsCheckReset", h.graphicsCheckReset);
    Add(list, t, "debugUpdate", h.debugUpdate);
    Add(list, t, "ioClear", h.ioClear);
    Add(list, t, "postQuit", h.postQuit);
    Add(list, t, "showDialog", h.showDialog);
  }
  {
    const InstanceWorldHooks& h = Variable_InstanceWorld();
    static_assert(AllListed<InstanceWorldHooks, 2>());
    Add(list, "InstanceWorld", "forEachActiveInstance", h.forEachActiveInstance);
    Add(list, "InstanceWorld", "forEachObjectInstance", h.forEachObjectInstance);
  }
  {
    const BuiltinVariableWorld& h = Variable_BuiltIn_World();
    static_assert(AllListed<BuiltinVariableWorld, 10>());
    const char* t = "BuiltinVariables";
    Add(list, t, "currentRoom", h.currentRoom);
    Add(list, t, "currentRoomIndex", h.currentRoomIndex);
    Add(list, t, "firstRoom", h.firstRoom);
    Add(list, t, "lastRoom", h.lastRoom);
    Add(list, t, "roomGoto", h.roomGoto);
    Add(list, t, "backgroundSize", h.backgroundSize);
    Add(list, t, "spriteSize", h.spriteSize);
    Add(list, t, "displayAA", h.displayAA);
    Add(list, t, "surfaceWidth", h.surfaceWidth);
    Add(list, t, "surfaceHeight", h.surfaceHeight);
  }
  {
    const MainWindowState& w = MainWindow();
    Add(list, "Window", "onPauseEvent", w.onPauseEvent);
    Add(list, "Window", "raiseMouseEvent", w.raiseMouseEvent);
  }
  {
    const InstancePreciseTests& h = Instance_PreciseTests();
    static_assert(AllListed<InstancePreciseTests, 5>());
    const char* t = "PreciseTests";
    Add(list, t, "point", h.point);
    Add(list, t, "rectangle", h.rectangle);
    Add(list, t, "ellipse", h.ellipse);
    Add(list, t, "line", h.line);
    Add(list, t, "instance", h.instance);
  }
  return list;
}

int Runner_CheckHooks() {
  const std::vector<HookState> states = Runner_HookStates();
  int set = 0, pendingCount = 0, empty = 0;
  std::vector<std::string> faults;
  for (const HookState& hook : states) {
    const bool pending = IsPending(hook.name);
    if (hook.set) ++set;
    if (pending) ++pendingCount;
    if (!hook.set && !pending) {
      ++empty;
      faults.push_back("Empty hook: " + hook.name);
    }
    if (hook.set && pending) faults.push_back("Pending hook is set: " + hook.name);
  }
  g_DebugConsole->Output("Start-up hooks: %d set, %d pending, %d empty\n", set, pendingCount, empty);
  for (const std::string& fault : faults) g_DebugConsole->Output("%s\n", fault.c_str());
  return static_cast<int>(faults.size());
}

#include "data/game_preparation.h"

#include <utility>
#include <vector>

#include "data/game_data.h"
#include "data/game_options.h"
#include "data/objects.h"
#include "data/scripts.h"
#include "data/timelines.h"
#include "platform/console.h"
#include "platform/message_box.h"
#include "platform/message_pump.h"
#include "runner/input.h"
#include "script/constants.h"

namespace {

constexpr int32_t kBarX = 24, kBarY = 50, kBarWidth = 50, kBarHeight = 16;

bool Run(const std::function<bool()>& step) { return !step || step(); }

bool DefineConstants() {
  std::vector<std::pair<std::string, std::string>> constants;
  for (const UserConstant& c : Options_Get().constants) {
    if (!c.name) continue;  // an empty slot of the list
    constants.emplace_back(*c.name, c.value.value_or(std::string()));
  }
  return Code_Constant_Prepare(constants);
}

bool PrepareSounds() {
  PreparationHooks& hooks = Preparation_Hooks();
  if (hooks.startSoundHardware) hooks.startSoundHardware();
  if (!Run(hooks.prepareSounds)) return false;
  if (hooks.createAudioBuffers) hooks.createAudioBuffers();
  return true;
}

// One step: its log line, its loading frame, then its work.
bool Step(const char* log, int32_t percent, const char* text, const std::function<bool()>& work,
          const char* failure) {
  g_DebugConsole->Output("%s", log);
  Runner_Progress(Runner_LoadForm(), percent, text);
  if (work()) return true;
  ShowMessage(failure);
  return false;
}

}  // namespace

LoadForm& Runner_LoadForm() {
  static LoadForm form;
  return form;
}

PreparationHooks& Preparation_Hooks() {
  static PreparationHooks hooks;
  return hooks;
}

void Runner_ProgressInit(LoadForm& form, bool) {
  if (!Options_Get().showProgressBar) return;
  form.barX = kBarX;
  form.barY = kBarY;
  form.barWidth = kBarWidth;
  form.barHeight = kBarHeight;
}

void Runner_Progress(LoadForm& form, int32_t percent, const std::string&) {
  form.percent = percent;
  if (Preparation_Hooks().presentFrame) Preparation_Hooks().presentFrame(form);
  Platform_PumpMessages();
}

void Runner_ProgressEnd() {
  IO_Clear();
  if (Preparation_Hooks().finishLoading) Preparation_Hooks().finishLoading();
}

bool PrepareGame() {
  const PreparationHooks& hooks = Preparation_Hooks();
  const char* const objectsFailed = "Failed to compile the actions in the objects.";
  if (!Step("DataFile_Prepare() \n", 50, "Extracting included files",
            [&] { return Run(hooks.extractIncludedFiles); }, "Failed to extract the included files.") ||
      !Step("Extension_Prepare() \n", 54, "Preparing extension packages",
            [&] { return Run(hooks.prepareExtensions); }, "Failed to prepare extension packages.") ||
      !Step("Code_Constant_Prepare() \n", 56, "Preparing constants", DefineConstants,
            "Failed to define the constants.") ||
      !Step("Script_Prepare() \n", 58, "Compiling scripts", Script_Prepare,
            "Failed to compile the scripts.") ||
      !Step("TimeLine_Prepare() \n", 70, "Compiling time line actions", TimeLine_Prepare,
            "Failed to compile the actions in the time lines.") ||
      !Step("Object_Prepare() \n", 72, "Compiling object actions", Object_Prepare, objectsFailed) ||
      !Step("Room_Prepare() \n", 76, "Compiling object actions",
            [&] { return Run(hooks.prepareRooms); }, objectsFailed)) {
    return false;
  }
  // The sound step shows its frame before its log line.
  Runner_Progress(Runner_LoadForm(), 80, "Preparing sounds");
  g_DebugConsole->Output("Sound_Prepare() \n");
  if (!PrepareSounds()) {
    ShowMessage("Failed to prepare the sounds.");
    return false;
  }
  Runner_Progress(Runner_LoadForm(), 90, "Preparing graphics");
  g_DebugConsole->Output("InitGraphics() \n");
  Runner_Progress(Runner_LoadForm(), 100, "Ready");
  Runner_ProgressEnd();
  g_DebugConsole->Output("Finished PrepareGame() \n");
  return true;
}

bool Splash_ShowVideo(const std::string&, bool, bool) { return true; }
bool Splash_ShowImage(const std::string&, bool, int32_t) { return true; }
bool Splash_ShowText(const std::string&, int32_t) { return true; }

// ---- graphics start ---------------------------------------------------------------------------

GraphicsStartHooks& InitGraphics_Hooks() {
  static GraphicsStartHooks hooks;
  return hooks;
}

DisplayModeChoice InitGraphics_Choice() {
  DisplayModeChoice mode;
  const GameOptions& options = Options_Get();
  if (!options.changeDisplayMode) return mode;
  switch (options.depthChoice) {
    case 1: mode.depth = 16; break;
    case 2: mode.depth = 32; break;
    default: break;
  }
  static constexpr int32_t kSizes[][2] = {{320, 240}, {640, 480}, {800, 600},
                                          {1024, 768}, {1280, 1024}, {1600, 1200}};
  if (options.resolutionChoice >= 1 && options.resolutionChoice <= 6) {
    mode.width = kSizes[options.resolutionChoice - 1][0];
    mode.height = kSizes[options.resolutionChoice - 1][1];
  }
  static constexpr int32_t kFrequencies[] = {60, 70, 85, 100, 120};
  if (options.frequencyChoice >= 1 && options.frequencyChoice <= 5) {
    mode.frequency = kFrequencies[options.frequencyChoice - 1];
  }
  return mode;
}

bool InitGraphics() {
  GraphicsStartHooks& hooks = InitGraphics_Hooks();
  DisplayModeChoice mode = InitGraphics_Choice();
  const bool change = Options_Get().changeDisplayMode;
  bool modeSet = false;
  if (mode.depth == -1) {
    const int32_t depth = hooks.colourDepth ? hooks.colourDepth() : 32;
    if (depth != 16 && depth != 32) {
      const bool yes = hooks.askYesNo && hooks.askYesNo(
          "This application requires 16-bit or 32-bit color mode.\n Should I switch to a valid color mode?");
      if (!yes) return false;
      mode.depth = 16;
      if (hooks.setDisplay) hooks.setDisplay(mode);
      modeSet = true;
    }
  }
  if (!modeSet && change && hooks.setDisplay) hooks.setDisplay(mode);
  g_DebugConsole->Output("GR_D3D_Init()\n");
  const GameHeader& header = GameData_Header();
  if (hooks.createDevice && !hooks.createDevice(header.windowWidth, header.windowHeight, header.windowFlags)) {
    return false;
  }
  g_DebugConsole->Output("Background_InitTextures()\n");
  if (hooks.makeBackgroundTextures) hooks.makeBackgroundTextures();
  if (hooks.makeSpriteTextures) hooks.makeSpriteTextures();
  else g_DebugConsole->Output("Sprite_InitTextures()\n");
  g_DebugConsole->Output("Font_InitTextures()\n");
  if (hooks.makeFontTextures) hooks.makeFontTextures();
  return true;
}

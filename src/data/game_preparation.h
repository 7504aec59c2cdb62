// Preparing the loaded game before its first room, in a fixed order (included files,
// extension packages, constants, scripts, time lines, objects, rooms, sounds), with a loading
// screen that shows one frame per step; and the setting up of graphics right after the main
// window exists.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The loading screen: the percent last shown and where a progress bar would go. The game file
// supplies no loading images of its own, so only the options' splash entry is ever drawn.
struct LoadForm {
  int32_t percent = 0;
  int32_t barX = 0, barY = 0, barWidth = 0, barHeight = 0;
};
LoadForm& Runner_LoadForm();

// The steps whose subsystems plug in here, and the drawing of a loading frame. An empty step
// has nothing to do and succeeds.
struct PreparationHooks {
  std::function<bool()> extractIncludedFiles;
  std::function<bool()> prepareExtensions;
  std::function<bool()> prepareRooms;
  std::function<void()> startSoundHardware;
  std::function<bool()> prepareSounds;
  std::function<void()> createAudioBuffers;
  // Draws one loading frame (the splash entry centred, when the options name one), presents
  // it and begins the next frame.
  std::function<void(const LoadForm& form)> presentFrame;
  // Activates and shows the main window (after the input state has been cleared).
  std::function<void()> finishLoading;
};
PreparationHooks& Preparation_Hooks();

// At the end of the second chunk pass: the bar sits at (24, 50), 50 by 16, when the options
// ask for a progress bar.
void Runner_ProgressInit(LoadForm& form, bool unused);
// Keeps the percent, draws one frame and pumps the window messages once. The text is not shown.
void Runner_Progress(LoadForm& form, int32_t percent, const std::string& text);
void Runner_ProgressEnd();

// False when a step failed; its message has been shown and the game does not start.
bool PrepareGame();

// The splash back ends: nothing to show, and they say so by succeeding.
bool Splash_ShowVideo(const std::string& file, bool fullScreen, bool loop);
bool Splash_ShowImage(const std::string& file, bool fullScreen, int32_t delay);
bool Splash_ShowText(const std::string& file, int32_t delay);

// The display mode the options ask for: -1 where they ask for nothing.
struct DisplayModeChoice {
  int32_t depth = -1;
  int32_t width = -1;
  int32_t height = -1;
  int32_t frequency = -1;
};
DisplayModeChoice InitGraphics_Choice();

// What InitGraphics asks of the display and the device.
struct GraphicsStartHooks {
  std::function<int32_t()> colourDepth;  // bits per pixel of the current mode
  std::function<void(const DisplayModeChoice& mode)> setDisplay;
  // Yes/no question; true for yes. Empty: no.
  std::function<bool(const std::string& text)> askYesNo;
  // Makes the device for the main window with the header's window size and flags.
  std::function<bool(int32_t width, int32_t height, uint32_t flags)> createDevice;
  // The textures of each resource kind, made after its log line. The sprite step prints its
  // own line ("Sprite_InitTextures()").
  std::function<void()> makeBackgroundTextures;
  std::function<void()> makeSpriteTextures;
  std::function<void()> makeFontTextures;
};
GraphicsStartHooks& InitGraphics_Hooks();
// False when the colour mode switch is refused or the device cannot be made.
bool InitGraphics();

// The screen: its size, colour depth and refresh rate, the display modes it offers, changing
// or testing a mode, the cursor on the screen, and the two display options the next device
// Reset applies. Without a display (SDL's offscreen or dummy driver, or no video at all)
// the screen is a virtual one of the configured size: queries answer for it and mode
// changes answer false.
#pragma once

#include <cstdint>
#include <vector>

// The size of the virtual screen of runs without a display.
inline constexpr int kVirtualScreenWidth = 1920;
inline constexpr int kVirtualScreenHeight = 1080;

struct DisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;
  int32_t frequency = 0;
};

// True when a real screen is there (not the virtual one).
bool Display_IsReal();
int Display_GetWidth();
int Display_GetHeight();
// Bits per pixel and refresh rate of the screen's current mode; -1 when unknown.
int Display_GetColourDepth();
int Display_GetFrequency();
// The screen's current mode, its desktop mode, and every mode it offers (largest first).
DisplayMode Display_GetCurrentMode();
DisplayMode Display_GetDesktopMode();
std::vector<DisplayMode> Display_GetModes();

// The mode of the screen's list that has every given field (> 0) as asked, the others taken
// from the current mode; false when the screen has no such mode.
bool Display_FindMode(int32_t width, int32_t height, int32_t frequency, int32_t depth, DisplayMode& found);
// Mode changes: only the fields > 0 are asked for. A change becomes the screen's mode while
// the window is full screen (now, or from the next switch to full screen); leaving full
// screen or ending the run gives the desktop its own mode back. False when the screen has no
// such mode, or there is no real screen. Test changes nothing.
bool Display_SetAll(int32_t width, int32_t height, int32_t frequency, int32_t depth);
bool Display_TestAll(int32_t width, int32_t height, int32_t frequency, int32_t depth);
bool Display_SetSize(int32_t width, int32_t height);
bool Display_SetFrequency(int32_t frequency);
bool Display_SetColourDepth(int32_t depth);
// The mode a change chose; false while the desktop mode stands.
bool Display_ChosenMode(DisplayMode& mode);
// Back to the desktop's own mode (shut-down).
void Display_Restore();

// The cursor on the screen; Set acts only while the main window is active.
int Display_Mouse_GetX();
int Display_Mouse_GetY();
void Display_Mouse_Set(int x, int y);

// Multisampling (2, 4, 8 or 16 samples with the discard swap effect; any other level: none,
// with the copy swap effect) and vertical sync, both for the next device Reset.
void Display_SetAntialias(int level);
void Display_SetVSync(bool on);

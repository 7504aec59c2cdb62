// The device and its frame: creation on the main window (or without one), the display
// inventory, Reset, and the frame bracket that draws every frame into the screen
// texture and stretches it over the back buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/hardware_texture.h"
#include "graphics/opengl/gl_device.h"

struct SDL_Window;

// Creation flags of GR_D3D_Init.
inline constexpr uint32_t kInitFullScreen = 1u << 0;
inline constexpr uint32_t kInitVSync = 1u << 1;
inline constexpr uint32_t kInitSoftwareVertexProcessing = 1u << 2;
inline constexpr uint32_t kInitInterpolate = 1u << 3;
inline constexpr uint32_t kInitLetterbox = 1u << 4;

struct DisplayModeEntry {
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t bitsPerPixel = 0;
  uint8_t refreshRate = 0;
  int16_t index = 0;
  int32_t adapter = 0;
};

struct AdapterInfo {
  uint32_t flags = 0;  // bit 0: desktop taller than wide
  int groupSize = 1;
  std::string driver;
  std::string description;
  std::string deviceName;
  int desktopX = 0, desktopY = 0;
  int desktopWidth = 640, desktopHeight = 480;
  int bitsPerPixel = 8;
  int refreshRate = 60;
  int ordinal = 0;
  std::vector<DisplayModeEntry> modes;
};

bool GR_D3D_Init(SDL_Window* window, int width, int height, uint32_t flags);
bool Graphics_CreateDevice(SDL_Window* window, int width, int height, uint32_t flags);
void Graphics_EnumerateAdapters();
DisplayModeEntry Graphics_FindNearestMode(int width, int height);
// The adapter inventory (filled by Graphics_EnumerateAdapters).
std::vector<AdapterInfo>& Graphics_Adapters();
bool GR_Display_Reset();
void Graphics_LeaveFullScreen();
bool GR_D3D_Start_Frame();
bool GR_D3D_Finish_Frame(bool present);
void GR_D3D_Refresh();
void Graphics_BeginFrame();
void Graphics_EndFrame();
bool Graphics_Present();
void Graphics_DrawScreenTexture();
void Graphics_GetLetterboxOffset(int& x, int& y);
void Graphics_SetViewport(int x, int y, int width, int height);
void Graphics_DrawTexturedRect(HardwareTexture* texture, float left, float top, float right, float bottom,
                               float uLeft, float vTop, float uRight, float vBottom, uint32_t colour);
void Graphics_Release();
void Graphics_Shutdown();
void GR_D3D_Shutdown();
void Graphics_ShowMessage(const std::string& text);

// The device and the sizes, for the rest of the graphics code.
gfx::CGLDevice* Graphics_Device();
HardwareTexture* Graphics_ScreenTexture();
struct GraphicsSizes {
  int screenWidth = 640, screenHeight = 480;      // the game's screen size (screen texture)
  int backBufferWidth = 640, backBufferHeight = 480;
  int clientWidth = 640, clientHeight = 480;
  int portWidth = 640, portHeight = 480;
  int pendingWidth = -1, pendingHeight = -1;
};
GraphicsSizes& Graphics_Sizes();
bool Graphics_InFrame();
bool Graphics_Letterbox();
void Graphics_SetLetterbox(bool on);
bool Graphics_CreationInterpolation();
// The chosen multisample type (0, 2, 4, 8, 16) and swap effect (1 discard, 3 copy) for the next Reset.
void Graphics_SetMultisample(int samples);
void Graphics_SetSwapEffect(int effect);
uint32_t Graphics_SupportedMultisampleMask();
// The multisample type render targets are made with: the chosen one as of the last Reset.
int Graphics_AppliedMultisample();
void Graphics_SetVSync(bool on);
// Frame timing.
float Graphics_LastFrameSeconds();
int Graphics_FramesPerSecond();
int Graphics_PresentedFrames();

#include "graphics/device.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "graphics/batch.h"
#include "graphics/graphics_hooks.h"
#include "graphics/graphics_state.h"
#include "graphics/render_state.h"
#include "graphics/surfaces.h"
#include "graphics/texture_table.h"
#include "platform/console.h"
#include "platform/matrix.h"
#include "runner/display.h"
#include "runner/window.h"

namespace {

struct DeviceGlobals {
  std::unique_ptr<gfx::CGLDevice> device;
  SDL_Window* window = nullptr;
  std::vector<AdapterInfo> adapters;
  GraphicsSizes sizes;
  std::unique_ptr<HardwareTexture> screen;
  bool letterbox = false;
  bool vsync = false;
  bool creationInterpolation = false;
  int multisample = 0;
  int appliedMultisample = 0;
  int swapEffect = 3;
  uint32_t multisampleMask = 0;
  int frameDepth = 0;
  int64_t lastTick = 0;
  int64_t frequency = 1000000;
  float lastFrameSeconds = 0;
  float lastFrameMilliseconds = 0;
  int frameCounter = 0;
  int64_t accumulator = 0;
  int framesPerSecond = 0;
  int64_t presentMicroseconds = 0;
  int presentedFrames = 0;
};

DeviceGlobals& G() {
  static DeviceGlobals globals;
  return globals;
}

int64_t Ticks() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

uint32_t WindowedStyle() {
  const auto& resizable = Graphics_Hooks().windowResizable;
  uint32_t base = kStyleVisible | kStyleClipSiblings | kStyleClipChildren;
  return base | (resizable && resizable() ? kStyleSizeable : kStyleFixed);
}

void MeasureFrame() {
  DeviceGlobals& g = G();
  int64_t now = Ticks();
  int64_t elapsed = now - g.lastTick;
  g.lastTick = now;
  g.lastFrameSeconds = static_cast<float>(static_cast<double>(elapsed) / static_cast<double>(g.frequency));
  g.lastFrameMilliseconds = static_cast<float>(static_cast<double>(elapsed) * 1000.0 / static_cast<double>(g.frequency));
  ++g.frameCounter;
  g.accumulator += elapsed;
  if (g.accumulator > g.frequency) {
    g.accumulator -= g.frequency;
    g.framesPerSecond = g.frameCounter;
    g.frameCounter = 0;
  }
}

bool CreateScreenTexture(int width, int height) {
  DeviceGlobals& g = G();
  g.screen.reset();
  g.screen = GR_D3D_Texture_Create(width, height, 1, kTextureRenderTarget, kFormatA8R8G8B8);
  return g.screen != nullptr;
}

}  // namespace

gfx::CGLDevice* Graphics_Device() { return G().device.get(); }
HardwareTexture* Graphics_ScreenTexture() { return G().screen.get(); }
GraphicsSizes& Graphics_Sizes() { return G().sizes; }
bool Graphics_InFrame() { return G().frameDepth == 1; }
bool Graphics_Letterbox() { return G().letterbox; }
void Graphics_SetLetterbox(bool on) { G().letterbox = on; }
bool Graphics_CreationInterpolation() { return G().creationInterpolation; }
void Graphics_SetMultisample(int samples) { G().multisample = samples; }
void Graphics_SetSwapEffect(int effect) { G().swapEffect = effect; }
uint32_t Graphics_SupportedMultisampleMask() { return G().multisampleMask; }
int Graphics_AppliedMultisample() { return G().appliedMultisample; }
void Graphics_SetVSync(bool on) { G().vsync = on; }
float Graphics_LastFrameSeconds() { return G().lastFrameSeconds; }
int Graphics_FramesPerSecond() { return G().framesPerSecond; }
int Graphics_PresentedFrames() { return G().presentedFrames; }
std::vector<AdapterInfo>& Graphics_Adapters() { return G().adapters; }

void Graphics_ShowMessage(const std::string& text) { Window_ShowMessage("Kiln Forge", text); }

bool GR_D3D_Init(SDL_Window* window, int width, int height, uint32_t flags) {
  DeviceGlobals& g = G();
  int screenWidth = 0, screenHeight = 0;
  Window_ScreenSize(screenWidth, screenHeight);
  GraphicsSettings& settings = Graphics_Settings();
  settings.areaWidth = std::min(width, screenWidth);
  settings.areaHeight = std::min(height, screenHeight);

  int bits = 32;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) bits = SDL_BYTESPERPIXEL(mode.format) * 8;
  }
  if (bits != 16 && bits != 32) {
    Window_ShowMessage(MainWindow().caption,
                       "This program requires 16-bit (High Color) or 32-bit (Full Color) mode. Please change this "
                       "in your display properties and run again.");
    return false;
  }

  bool result = Graphics_CreateDevice(window, settings.areaWidth, settings.areaHeight, flags);
  // A new device holds its own defaults: nothing cached about an earlier one may filter
  // what is sent to it.
  Graphics_ClearShadows();
  GR_D3D_Batch_EndFrame();
  GR_D3D_Batch_NoteFVF(0);

  GR_Texture_Clear_Table();
  GR_D3D_Settings_Init();
  Graphics::Clear(0, 1.0f, 0, 7);
  if (g.device) Graphics_SetViewport(0, 0, g.sizes.portWidth, g.sizes.portHeight);
  GR_Set_View_Projection(0, 0, static_cast<float>(g.sizes.portWidth), static_cast<float>(g.sizes.portHeight), 0);
  g.frameDepth = 0;
  if (Graphics_Hooks().overlayInit) Graphics_Hooks().overlayInit();
  g.frequency = 1000000;
  g.lastTick = Ticks();
  Graphics_ClearShadows();
  return result;
}

void Graphics_EnumerateAdapters() {
  DeviceGlobals& g = G();
  g.adapters.clear();
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetNumVideoDisplays() > 0) {
    int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
      AdapterInfo info;
      info.ordinal = i;
      info.driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
      const char* name = SDL_GetDisplayName(i);
      info.description = name ? name : "";
      info.deviceName = info.description;
      SDL_Rect bounds{};
      SDL_DisplayMode desktop{};
      if (SDL_GetDisplayBounds(i, &bounds) == 0 && SDL_GetDesktopDisplayMode(i, &desktop) == 0) {
        info.desktopX = bounds.x;
        info.desktopY = bounds.y;
        info.desktopWidth = desktop.w;
        info.desktopHeight = desktop.h;
        info.bitsPerPixel = SDL_BYTESPERPIXEL(desktop.format) * 8;
        info.refreshRate = desktop.refresh_rate;
      }
      int modes = SDL_GetNumDisplayModes(i);
      for (int m = 0; m < modes; ++m) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(i, m, &mode) != 0) continue;
        int bpp = SDL_BYTESPERPIXEL(mode.format) * 8;
        if (bpp != 16 && bpp != 32) continue;
        info.modes.push_back({static_cast<uint16_t>(mode.w), static_cast<uint16_t>(mode.h),
                              static_cast<uint8_t>(bpp), static_cast<uint8_t>(mode.refresh_rate),
                              static_cast<int16_t>(m), i});
      }
      if (info.desktopHeight > info.desktopWidth) info.flags |= 1;
      g.adapters.push_back(std::move(info));
    }
  }
  if (g.adapters.empty()) {
    // No display: one virtual screen.
    AdapterInfo info;
    Window_ScreenSize(info.desktopWidth, info.desktopHeight);
    info.bitsPerPixel = 32;
    info.description = "offscreen";
    info.modes.push_back({static_cast<uint16_t>(info.desktopWidth), static_cast<uint16_t>(info.desktopHeight), 32,
                          60, 0, 0});
    g.adapters.push_back(std::move(info));
  }
}

DisplayModeEntry Graphics_FindNearestMode(int width, int height) {
  DeviceGlobals& g = G();
  DisplayModeEntry result{};
  if (g.adapters.empty() || g.adapters[0].modes.empty()) return result;
  const auto& modes = g.adapters[0].modes;
  int64_t bestHeight = 999999999, bestWidth = 999999999;
  bool found = false;
  for (const auto& mode : modes) {
    if (mode.width >= width && mode.height >= height) {
      int64_t heightExcess = mode.height - height, widthExcess = mode.width - width;
      if (heightExcess < bestHeight && widthExcess < bestWidth) {
        bestHeight = heightExcess;
        bestWidth = widthExcess;
        result = mode;
        found = true;
      }
    }
  }
  if (found) return result;
  double best = 99999999.0;
  double requested = static_cast<double>(width) * static_cast<double>(height);
  for (const auto& mode : modes) {
    double ratio = requested != 0.0 ? std::fabs(1.0 - static_cast<double>(mode.width) * mode.height / requested) : 0.0;
    if (ratio < best) {
      best = ratio;
      result = mode;
    } else if (ratio == best) {
      if (mode.bitsPerPixel == 32 && result.bitsPerPixel != 32) {
        result = mode;
      } else if (mode.bitsPerPixel == 32 && result.bitsPerPixel == 32 &&
                 std::abs(mode.refreshRate - 60) < std::abs(result.refreshRate - 60)) {
        result = mode;
      }
    }
  }
  return result;
}

bool Graphics_CreateDevice(SDL_Window* window, int width, int height, uint32_t flags) {
  DeviceGlobals& g = G();
  tagIConsole* console = g_DebugConsole;
  g.vsync = (flags & kInitVSync) != 0;
  g.creationInterpolation = (flags & kInitInterpolate) != 0;
  Graphics_Settings().interpolation = g.creationInterpolation;
  g.letterbox = (flags & kInitLetterbox) != 0;
  bool fullScreen = (flags & kInitFullScreen) != 0;

  console->Output("Create D3D9 interface\n");
  console->Output("Enumerate Adapters\n");
  Graphics_EnumerateAdapters();
  Graphics_FindNearestMode(width, height);
  int backWidth = width, backHeight = height;
  if (fullScreen) {
    backWidth = g.adapters[0].desktopWidth;
    backHeight = g.adapters[0].desktopHeight;
  }
  console->Output("Selected Resolution: %dx%d\n", backWidth, backHeight);
  console->Output("Get Current Desktop Display Mode\n");
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetNumVideoDisplays() > 0) {
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
      Graphics_ShowMessage("Failed to retrieve display mode.");
      return false;
    }
  }
  console->Output("Prepare to create device\n");
  g.multisample = 0;
  g.appliedMultisample = 0;
  g.swapEffect = 3;
  MainWindow().displayFullScreen = fullScreen;
  MainWindow().fullScreenRequest = fullScreen;

  console->Output("Creating D3D device - ARGB=32bit, D24S8, SwapEffect=Copy, Hardware vertex processing\n");
  g.window = window;
  g.device.reset();
  g.device = gfx::CGLDevice::Create({window, backWidth, backHeight, true, false});
  if (!g.device) {
    g.swapEffect = 1;
    console->Output("Creating D3D device - ARGB=32bit, D16, SwapEffect=Discard, Software Vertex Processing\n");
    g.device = gfx::CGLDevice::Create({window, backWidth, backHeight, false, true});
    if (!g.device) {
      Graphics_ShowMessage(
          "Failed to create Direct3D Screen requirements and that your drivers are up-to-date. If your graphics "
          "card has little memory, try switching your computer to a lower resolution.");
      std::exit(-1);
    }
  }
  g.device->SetSwapInterval(g.vsync ? 1 : 0);

  console->Output("Creating screen render target\n");
  g.sizes.backBufferWidth = backWidth;
  g.sizes.backBufferHeight = backHeight;
  g.sizes.screenWidth = width;
  g.sizes.screenHeight = height;
  g.sizes.portWidth = width;
  g.sizes.portHeight = height;
  if (!CreateScreenTexture(width, height)) {
    Graphics_ShowMessage("Unable to create a screen that is " + std::to_string(backWidth) + " x " +
                         std::to_string(backHeight) + " - please ensure settings are correct");
    std::exit(-1);
  }

  console->Output("Get Device Caps\n");
  int samples = g.device->MaxSamples();
  g.multisampleMask = 0;
  for (int s : {2, 4, 8, 16}) {
    if (s <= samples) g.multisampleMask |= static_cast<uint32_t>(s);
  }
  g.sizes.pendingWidth = g.sizes.pendingHeight = -1;
  console->Output("Graphics initialisation end...\n");
  return true;
}

bool Graphics::Reset() {
  DeviceGlobals& g = G();
  tagIConsole* console = g_DebugConsole;
  console->Output("--Reset Begin\n");
  console->Output("Restore Target\n");
  Graphics_PopAllRenderTargets();
  if (!g.device) return false;
  console->Output("Check Display Mode\n");
  if (g.multisample != 0 && (g.multisampleMask & static_cast<uint32_t>(g.multisample)) == 0) {
    g.multisample = 0;
    g.swapEffect = 3;
  }
  g.device->SetSwapInterval(g.vsync ? 1 : 0);

  console->Output("Free Screen Texture\n");
  int textureWidth = -1, textureHeight = -1;
  if (g.screen) {
    textureWidth = g.screen->Width();
    textureHeight = g.screen->Height();
  }
  g.screen.reset();

  console->Output("Toggle Fullscreen/windowed mode settings\n");
  MainWindowState& window = MainWindow();
  int backWidth = g.sizes.pendingWidth >= 0 ? g.sizes.pendingWidth : textureWidth;
  int backHeight = g.sizes.pendingHeight >= 0 ? g.sizes.pendingHeight : textureHeight;
  bool fullScreen = window.fullScreenRequest;
  if (!fullScreen) {
    window.style = WindowedStyle();
    Window_ApplyStyle(window.style, false);
  } else {
    window.style = kStylePopup | kStyleVisible;
    Window_ApplyStyle(window.style, true);
    // Full screen covers the screen: in the display mode the game chose, else the desktop's.
    DisplayMode chosen;
    if (Display_ChosenMode(chosen)) {
      backWidth = chosen.width;
      backHeight = chosen.height;
    } else {
      if (g.adapters.empty()) Graphics_EnumerateAdapters();
      backWidth = g.adapters[0].desktopWidth;
      backHeight = g.adapters[0].desktopHeight;
    }
  }
  window.displayFullScreen = fullScreen;
  g.appliedMultisample = g.multisample;

  console->Output("Execute Reset()\n");
  if (backWidth < 1 || backHeight < 1) {
    backWidth = g.sizes.backBufferWidth;
    backHeight = g.sizes.backBufferHeight;
  }
  if (!g.device->ResizeBackBuffer(backWidth, backHeight)) {
    console->Output("Reset() Failed: %X\n", 0x8876086Cu);
    g.swapEffect = 1;
    g.multisample = g.appliedMultisample = 0;
    console->Output("Change SWAP+Multisample type effect, try Reset() again\n");
    if (!g.device->ResizeBackBuffer(backWidth, backHeight)) return false;
  }
  g.sizes.backBufferWidth = backWidth;
  g.sizes.backBufferHeight = backHeight;

  if (g.sizes.pendingWidth >= 0 && g.sizes.pendingHeight >= 0) {
    textureWidth = g.sizes.portWidth = g.sizes.screenWidth = g.sizes.pendingWidth;
    textureHeight = g.sizes.portHeight = g.sizes.screenHeight = g.sizes.pendingHeight;
  }

  if (!fullScreen) {
    console->Output("WindowedMode: Setup window prefs\n");
    g.sizes.clientWidth = g.sizes.screenWidth;
    g.sizes.clientHeight = g.sizes.screenHeight;
    if (g.sizes.backBufferWidth != g.sizes.screenWidth || g.sizes.backBufferHeight != g.sizes.screenHeight) {
      g.device->ResizeBackBuffer(g.sizes.screenWidth, g.sizes.screenHeight);
      g.sizes.backBufferWidth = g.sizes.screenWidth;
      g.sizes.backBufferHeight = g.sizes.screenHeight;
    }
    Window_PlaceClient(g.sizes.screenWidth, g.sizes.screenHeight, window.sizeChanged);
    window.sizeChanged = false;
  }

  if (textureWidth > 0 && textureHeight > 0) {
    console->Output("Recreate screen texture\n");
    CreateScreenTexture(textureWidth, textureHeight);
    if (g.frameDepth == 1 && g.screen) {
      Graphics_PushRenderTarget();
      Graphics_SetRenderTarget(0, g.screen.get());
    }
  }
  Graphics::Clear(0, 1.0f, 0, 7);
  g.sizes.pendingWidth = g.sizes.pendingHeight = -1;
  console->Output("--Reset End\n");
  return true;
}

bool GR_Display_Reset() {
  tagIConsole* console = g_DebugConsole;
  console->Output("Free all surfaces\n");
  if (Graphics_Hooks().freeAllSurfaces) Graphics_Hooks().freeAllSurfaces();
  console->Output("Graphics::Reset()\n");
  if (!Graphics::Reset()) return false;
  console->Output("Graphics::Clear()\n");
  Graphics::Clear(0, 1.0f, 0, 7);
  console->Output("D3D Settings Init\n");
  GR_D3D_Settings_Init();
  return true;
}

void Graphics_LeaveFullScreen() {
  MainWindowState& window = MainWindow();
  if (!window.fullScreenRequest) return;
  window.fullScreenRequest = false;
  bool inFrame = G().frameDepth == 1;
  if (inFrame) Graphics_EndFrame();
  Graphics::Reset();
  if (inFrame) Graphics_BeginFrame();
}

void Graphics_BeginFrame() {
  DeviceGlobals& g = G();
  if (!g.device || g.frameDepth != 0) return;
  // An OpenGL device is never lost, so there is nothing to test before the scene.
  Graphics_PopAllRenderTargets();
  GR_Surface_Target_Dropped();
  Graphics_PushRenderTarget();
  if (g.screen) Graphics_SetRenderTarget(0, g.screen.get());
  Window_ClientSize(g.sizes.clientWidth, g.sizes.clientHeight);
  if (Graphics_Hooks().profilerStartFrame) Graphics_Hooks().profilerStartFrame();
  g.frameDepth = 1;
}

void Graphics_EndFrame() {
  DeviceGlobals& g = G();
  if (!g.device || g.frameDepth != 1) return;
  if (Graphics_Hooks().overlayDraw) Graphics_Hooks().overlayDraw();
  MeasureFrame();
  g.frameDepth = 0;
  GR_D3D_Batch_Flush();
  GR_D3D_Batch_EndFrame();
  // A surface target left set by the game is dropped here: popping every level brings
  // back the back buffer, so the frame is never drawn into the game's surface.
  Graphics_PopAllRenderTargets();
  GR_Surface_Target_Dropped();
  Graphics_DrawScreenTexture();
}

bool Graphics_Present() {
  DeviceGlobals& g = G();
  if (!g.device) return false;
  g.device->Present();
  return true;
}

bool GR_D3D_Start_Frame() {
  if (!G().device) return false;
  Graphics_BeginFrame();
  return true;
}

bool GR_D3D_Finish_Frame(bool present) {
  DeviceGlobals& g = G();
  if (!g.device) return false;
  Graphics_EndFrame();
  if (present) {
    int64_t start = Ticks();
    Graphics_Present();
    g.presentMicroseconds = Ticks() - start;
  }
  return true;
}

void GR_D3D_Refresh() {
  if (GR_D3D_Start_Frame()) GR_D3D_Finish_Frame(true);
}

void Graphics_GetLetterboxOffset(int& x, int& y) {
  DeviceGlobals& g = G();
  x = y = 0;
  if (!g.letterbox || !g.screen) return;
  float textureWidth = static_cast<float>(g.screen->Width());
  float textureHeight = static_cast<float>(g.screen->Height());
  float backWidth = static_cast<float>(g.sizes.backBufferWidth);
  float backHeight = static_cast<float>(g.sizes.backBufferHeight);
  float aspect = textureWidth / textureHeight;
  if (backHeight > backWidth / aspect) {
    y = static_cast<int>((backHeight - (textureHeight / textureWidth) * backWidth) * 0.5f);
  } else if (backWidth / aspect > backHeight) {
    x = static_cast<int>((backWidth - backHeight * aspect) * 0.5f);
  }
}

void Graphics_DrawScreenTexture() {
  DeviceGlobals& g = G();
  if (!g.device || !g.screen) return;
  GR_D3D_Batch_Flush();
  int savedWidth = g.sizes.screenWidth, savedHeight = g.sizes.screenHeight;
  g.sizes.screenWidth = g.sizes.backBufferWidth;
  g.sizes.screenHeight = g.sizes.backBufferHeight;
  // The states a game's 3D drawing may have left on (culling, depth test, lighting, fog, a
  // world transform) are put aside here so that they cannot darken or hide the picture.
  uint32_t savedCull = Graphics_GetDeviceRenderState(d3d::RenderState::CullMode);
  bool savedDepth = Graphics_DepthTestEnabled(), savedLighting = Graphics_LightingEnabled();
  bool savedFog = Graphics_FogEnabled();
  float savedWorld[16];
  Graphics_GetMatrix(2, savedWorld);
  Graphics_SetRenderState(8, 0);
  Graphics_SetRenderState(1, 0);
  Graphics_SetRenderState(21, 0);
  Graphics_SetRenderState(13, 0);
  Graphics_SetMatrix(2, Matrix4::Identity().m);
  Graphics_SetRenderState(12, 0);
  bool savedInterpolation = GR_Texture_Get_Interpolation();
  GR_Texture_Set_Interpolation(g.creationInterpolation);

  float backWidth = static_cast<float>(g.sizes.backBufferWidth);
  float backHeight = static_cast<float>(g.sizes.backBufferHeight);
  Matrix4 view = Matrix4::Identity();
  view.m[12] = static_cast<float>(-(g.sizes.backBufferWidth / 2));
  view.m[13] = static_cast<float>(-(g.sizes.backBufferHeight / 2));
  view.m[14] = 16000.0f;
  Matrix4 projection;
  Matrix_Ortho(projection, backWidth, -backHeight, 1.0f, 32000.0f);
  float textureWidth = static_cast<float>(g.screen->Width());
  float textureHeight = static_cast<float>(g.screen->Height());
  projection.m[12] -= 1.0f / textureWidth;
  projection.m[13] += 1.0f / textureHeight;
  g.device->SetTransform(d3d::TransformType::View, view.m);
  g.device->SetTransform(d3d::TransformType::Projection, projection.m);
  // The screen texture laid over the whole back buffer texel for texel (its own size, even, so
  // that the centred view puts its corners on pixel corners; point sampled; drawn by a draw that
  // keeps every texel) is a copy: made as one, the rasteriser runs no shader over the screen,
  // and the colour cleared first would be covered everywhere.
  const bool copy = !g.letterbox && g.screen->Width() == g.sizes.backBufferWidth &&
                    g.screen->Height() == g.sizes.backBufferHeight && g.sizes.backBufferWidth % 2 == 0 &&
                    g.sizes.backBufferHeight % 2 == 0 && !g.creationInterpolation && g.screen->gl.samples == 0 &&
                    g.device->DrawsTexelsUnchanged();
  // Nothing drawn here tests depth, so only the colour around a smaller picture is cleared,
  // and nothing at all before a copy that covers every pixel.
  if (!copy) Graphics::Clear(GR_Window_Get_Color(), 1.0f, 0, 1);

  float left = 0, top = 0, right = backWidth, bottom = backHeight;
  if (g.letterbox) {
    float aspect = textureWidth / textureHeight;
    if (backHeight > backWidth / aspect) {
      float imageHeight = (textureHeight / textureWidth) * backWidth;
      top = (backHeight - imageHeight) * 0.5f;
      bottom = top + imageHeight;
    } else if (backWidth / aspect > backHeight) {
      float imageWidth = backHeight * aspect;
      left = (backWidth - imageWidth) * 0.5f;
      right = left + imageWidth;
    }
  }
  if (copy) {
    const int whole[4] = {0, 0, g.sizes.backBufferWidth, g.sizes.backBufferHeight};
    g.device->StretchRect(g.device->SurfaceOf(g.screen->gl), whole, g.device->BackBuffer(), whole, false);
  } else {
    Graphics_DrawTexturedRect(g.screen.get(), left, top, right, bottom, 0, 0, 1, 1, 0xFFFFFFFFu);
  }
  MainWindowState& window = MainWindow();
  window.drawnLeft = static_cast<int>(left);
  window.drawnRight = static_cast<int>(right);
  window.drawnHeight = g.sizes.backBufferHeight;
  ++g.presentedFrames;

  GR_D3D_Batch_Flush();
  GR_Texture_Set_Interpolation(savedInterpolation);
  Graphics_SetRenderState(8, savedCull == d3d::kCullClockwise ? 1 : savedCull == d3d::kCullCounterClockwise ? 2 : 0);
  Graphics_SetRenderState(1, savedDepth ? 1 : 0);
  Graphics_SetRenderState(21, savedLighting ? 1 : 0);
  Graphics_SetRenderState(13, savedFog ? 1 : 0);
  Graphics_SetMatrix(2, savedWorld);
  Graphics_SetRenderState(12, 1);
  g.sizes.screenWidth = savedWidth;
  g.sizes.screenHeight = savedHeight;
}

void Graphics_SetViewport(int x, int y, int width, int height) {
  if (G().device) G().device->SetViewport({x, y, width, height, 0.0f, 1.0f});
}

void Graphics_DrawTexturedRect(HardwareTexture* texture, float left, float top, float right, float bottom,
                               float uLeft, float vTop, float uRight, float vBottom, uint32_t colour) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;
  const Vertex24 fan[4] = {{left, top, 0, colour, uLeft, vTop},
                           {right, top, 0, colour, uRight, vTop},
                           {right, bottom, 0, colour, uRight, vBottom},
                           {left, bottom, 0, colour, uLeft, vBottom}};
  device->SetFVF(d3d::kFvfXyzDiffuseTex1);
  GR_D3D_Batch_NoteFVF(d3d::kFvfXyzDiffuseTex1);
  Graphics_SetTexture(0, texture);
  device->DrawPrimitiveUP(d3d::PrimitiveType::TriangleFan, 2, fan, sizeof(Vertex24));
}

void Graphics_Release() {
  DeviceGlobals& g = G();
  Graphics_PopAllRenderTargets();
  g.screen.reset();
  g.device.reset();
}

void Graphics_Shutdown() {
  G().screen.reset();
  if (Graphics_Hooks().profilerLogFPS) Graphics_Hooks().profilerLogFPS();
}

void GR_D3D_Shutdown() {
  GR_Texture_Clear_Table();
  Graphics_Release();
}

#include "graphics/graphics_state.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "graphics/batch.h"
#include "graphics/device.h"
#include "graphics/render_state.h"
#include "platform/matrix.h"
#include "runner/window.h"

GraphicsSettings& Graphics_Settings() {
  static GraphicsSettings settings;
  return settings;
}

bool GR_D3D_Device_Exists() { return Graphics_Device() != nullptr; }

void GR_Blend_Mode(int mode) {
  if (!GR_D3D_Device_Exists()) return;
  switch (mode) {
    case 1: GR_Blend_Mode_Ext(5, 2); break;
    case 2: GR_Blend_Mode_Ext(5, 4); break;
    case 3: GR_Blend_Mode_Ext(1, 4); break;
    default: GR_Blend_Mode_Ext(5, 6); break;
  }
}

void GR_Blend_Mode_Ext(uint32_t source, uint32_t destination) {
  GR_D3D_Batch_Flush();
  GraphicsSettings& s = Graphics_Settings();
  s.blendSource = source;
  s.blendDest = destination;
  Graphics_SetRenderState(6, source);
  Graphics_SetRenderState(7, destination);
}

void GR_Texture_Set_Interpolation(bool on) {
  if (!GR_D3D_Device_Exists()) return;
  GR_D3D_Batch_Flush();
  Graphics_Settings().interpolation = on;
  Graphics_SetSampler(0, 0, on ? 0 : 1);
  Graphics_SetSampler(0, 1, on ? 0 : 1);
}

bool GR_Texture_Get_Interpolation() { return Graphics_Settings().interpolation; }

void GR_Texture_Set_Repeat(bool on) {
  if (!GR_D3D_Device_Exists()) return;
  GR_D3D_Batch_Flush();
  Graphics_Settings().textureRepeat = on;
  Graphics_SetSampler(0, 2, on ? 0 : 1);
  Graphics_SetSampler(0, 3, on ? 0 : 1);
}

bool GR_Texture_Get_Repeat() { return Graphics_Settings().textureRepeat; }

void GR_Texture_Set_Blending(bool on) {
  if (!GR_D3D_Device_Exists()) return;
  Graphics_Settings().textureBlending = on;
  GR_D3D_Batch_Flush();
  Graphics_SetTextureBlending(on);
}

void GR_3D_Set_Hidden(bool on) {
  GR_D3D_Batch_Flush();
  GraphicsSettings& s = Graphics_Settings();
  s.hidden = on;
  if (s.mode3D && on) {
    Graphics_SetRenderState(1, 1);
    Graphics_SetRenderState(5, 1);
    Graphics_SetRenderState(10, 0);
    Graphics_SetRenderState(11, 5);
  } else {
    Graphics_SetRenderState(1, 0);
    Graphics_SetRenderState(5, 1);
    Graphics_SetRenderState(10, 0);
  }
}

void GR_3D_Set_Culling(bool on) {
  if (!GR_D3D_Device_Exists()) return;
  Graphics_Settings().culling = on;
  GR_D3D_Batch_Flush();
  Graphics_SetRenderState(8, on ? 2 : 0);
}

void GR_3D_Set_Lighting(bool on) {
  GR_D3D_Batch_Flush();
  Graphics_Settings().lighting = on;
  Graphics_SetRenderState(21, on ? 1 : 0);
}

void GR_3D_Set_Shading(bool smooth) {
  GR_D3D_Batch_Flush();
  Graphics_Settings().smoothShading = smooth;
  Graphics_SetRenderState(3, smooth ? 2 : 1);
}

namespace {

void ApplyFog(bool on, uint32_t argb, float start, float end) {
  GraphicsSettings& s = Graphics_Settings();
  s.fog = on;
  s.fogColour = argb;
  s.fogStart = start;
  s.fogEnd = end;
  GR_D3D_Batch_Flush();
  if (!on) {
    Graphics_SetRenderState(13, 0);
    return;
  }
  Graphics_SetRenderState(13, 1);
  int caps = Graphics_FogCaps();
  if (caps == 1) {
    Graphics_SetRenderState(16, 3);
  } else if (caps == 2) {
    Graphics_SetRenderState(23, 3);
    Graphics_SetRenderState(20, 1);
  } else {
    s.fog = false;
    Graphics_SetRenderState(13, 0);
    return;
  }
  Graphics_SetRenderState(15, argb);
  Graphics_SetRenderState(17, std::bit_cast<uint32_t>(start));
  Graphics_SetRenderState(18, std::bit_cast<uint32_t>(end));
}

}  // namespace

void GR_3D_Set_Fog(bool on, uint32_t colour, int16_t start, int16_t end) {
  uint32_t argb = 0xFF000000u | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
  ApplyFog(on, argb, static_cast<float>(start), static_cast<float>(end));
}

void GR_3D_Set_Perspective(bool on) { Graphics_Settings().perspective = on; }

void GR_Set_Screen_Size(int width, int height) {
  int screenWidth = 0, screenHeight = 0;
  Window_ScreenSize(screenWidth, screenHeight);
  width = std::min(width, screenWidth);
  height = std::min(height, screenHeight);
  GraphicsSettings& s = Graphics_Settings();
  if (width == s.areaWidth && height == s.areaHeight) return;
  s.areaWidth = width;
  s.areaHeight = height;
  if (GR_D3D_Device_Exists()) GR_Set_Viewport(0, 0, width, height);
  GR_Set_View_Projection(0, 0, static_cast<float>(width), static_cast<float>(height), 0);
}

void GR_Get_Screen_Size(int& width, int& height) {
  width = Graphics_Settings().areaWidth;
  height = Graphics_Settings().areaHeight;
}

void GR_Set_Viewport(int x, int y, int width, int height) {
  if (!GR_D3D_Device_Exists()) return;
  GR_D3D_Batch_Flush();
  GraphicsSettings& s = Graphics_Settings();
  s.viewportX = x;
  s.viewportY = y;
  s.viewportWidth = width;
  s.viewportHeight = height;
  Graphics_SetViewport(x, y, width, height);
}

void GR_Set_View_Projection(float x, float y, float width, float height, float angle) {
  GraphicsSettings& s = Graphics_Settings();
  s.regionX = x;
  s.regionY = y;
  s.regionWidth = width;
  s.regionHeight = height;
  s.regionAngle = angle;
  float centreX = x + width * 0.5f;
  float centreY = y + height * 0.5f;
  float radians = static_cast<float>(-static_cast<double>(angle) * 0.01745329238474369);
  Vector3 up{std::sin(radians), std::cos(radians), 0.0f};
  s.upX = up.x;
  s.upY = up.y;
  Matrix4 view, projection;
  if (s.mode3D && s.perspective) {
    Matrix_LookAt(view, {centreX, centreY, -width}, {centreX, centreY, 0.0f}, up);
    Matrix_Perspective(projection, 1.0f, height / width, 1.0f, 32000.0f);
  } else {
    Matrix_LookAt(view, {centreX, centreY, -16000.0f}, {centreX, centreY, 0.0f}, up);
    Matrix_Ortho(projection, width, static_cast<float>(s.flipSign) * -height, 1.0f, 32000.0f);
  }
  Graphics_SetMatrix(0, view.m);
  Graphics_SetMatrix(1, projection.m);
}

bool GR_Screen_Grab_Bitmap(int x, int y, int width, int height, GrabbedBitmap& out) {
  out = {};
  x = std::max(x, 0);
  y = std::max(y, 0);
  int clientWidth = 0, clientHeight = 0;
  Window_ClientSize(clientWidth, clientHeight);
  width = std::min(width, clientWidth);
  height = std::min(height, clientHeight);
  if (width < 1 || height < 1) return false;
  std::vector<uint32_t> block = Graphics_GrabScreenRect(clientWidth, clientHeight, x, y, width, height);
  if (block.empty()) return false;
  // The grab may come back smaller where the rectangle left the back buffer.
  int backWidth = Graphics_Sizes().backBufferWidth, backHeight = Graphics_Sizes().backBufferHeight;
  out.width = std::min({width, clientWidth - x, backWidth - x});
  out.height = std::min({height, clientHeight - y, backHeight - y});
  out.pixels = std::move(block);
  return true;
}

bool GR_Screen_Grab_Whole(GrabbedBitmap& out) {
  const GraphicsSettings& s = Graphics_Settings();
  return GR_Screen_Grab_Bitmap(0, 0, s.areaWidth, s.areaHeight, out);
}

uint32_t GR_Draw_Get_Pixel(int x, int y) {
  const GraphicsSizes& sizes = Graphics_Sizes();
  std::vector<uint32_t> block = Graphics_GrabScreenRect(sizes.backBufferWidth, sizes.backBufferHeight, x, y, 1, 1);
  if (x < 0 || y < 0 || block.empty()) return 0;
  return block[0] & 0xFFFFFF;
}

void GR_D3D_Settings_Init() {
  if (!GR_D3D_Device_Exists()) return;
  GraphicsSettings& s = Graphics_Settings();
  Graphics_SetRenderStateDefaults();
  Graphics_SetRenderState(12, 1);
  Graphics_SetRenderState(8, s.culling ? 2 : 0);
  Graphics_SetRenderState(6, s.blendSource);
  Graphics_SetRenderState(7, s.blendDest);
  Graphics_SetRenderState(21, s.lighting ? 1 : 0);
  Graphics_SetRenderState(3, s.smoothShading ? 2 : 1);
  GR_3D_Set_Hidden(s.hidden);
  ApplyFog(s.fog, s.fogColour, static_cast<float>(static_cast<int16_t>(std::trunc(s.fogStart))),
           static_cast<float>(static_cast<int16_t>(std::trunc(s.fogEnd))));
  Graphics_SetTexture(0, nullptr);
  GR_Texture_Set_Interpolation(Graphics_CreationInterpolation());
  GR_Texture_Set_Blending(s.textureBlending);
  GR_Texture_Set_Repeat(s.textureRepeat);
}

// The game-level drawing settings that outlive a device Reset, applied through the
// numbered render states and samplers, and the read-back of screen pixels.
#pragma once

#include <cstdint>
#include <vector>

struct GraphicsSettings {
  uint32_t blendSource = 5;
  uint32_t blendDest = 6;
  bool interpolation = true;
  bool textureBlending = true;
  bool textureRepeat = false;
  bool hidden = true;
  bool smoothShading = true;
  bool perspective = true;
  bool culling = false;
  bool lighting = false;
  bool fog = false;
  uint32_t fogColour = 0;
  float fogStart = 0.0f;
  float fogEnd = 1.0f;
  bool mode3D = false;
  int32_t flipSign = 1;
  int areaWidth = 640, areaHeight = 480;
  int viewportX = 0, viewportY = 0, viewportWidth = 640, viewportHeight = 480;
  float regionX = 0, regionY = 0, regionWidth = 640, regionHeight = 480, regionAngle = 0;
  float upX = 0, upY = 1;  // the up vector of the last view projection
};
GraphicsSettings& Graphics_Settings();

void GR_Blend_Mode(int mode);
void GR_Blend_Mode_Ext(uint32_t source, uint32_t destination);
void GR_Texture_Set_Interpolation(bool on);
bool GR_Texture_Get_Interpolation();
void GR_Texture_Set_Repeat(bool on);
bool GR_Texture_Get_Repeat();
void GR_Texture_Set_Blending(bool on);
void GR_3D_Set_Hidden(bool on);
void GR_3D_Set_Culling(bool on);
void GR_3D_Set_Lighting(bool on);
void GR_3D_Set_Shading(bool smooth);
void GR_3D_Set_Fog(bool on, uint32_t colour, int16_t start, int16_t end);
void GR_3D_Set_Perspective(bool on);
void GR_Set_Screen_Size(int width, int height);
void GR_Get_Screen_Size(int& width, int& height);
void GR_Set_Viewport(int x, int y, int width, int height);
void GR_Set_View_Projection(float x, float y, float width, float height, float angle);
// The grabbed pixels (0xAARRGGBB words, rows top first) of a rectangle of the back buffer.
struct GrabbedBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};
bool GR_Screen_Grab_Bitmap(int x, int y, int width, int height, GrabbedBitmap& out);
bool GR_Screen_Grab_Whole(GrabbedBitmap& out);
uint32_t GR_Draw_Get_Pixel(int x, int y);
void GR_D3D_Settings_Init();
bool GR_D3D_Device_Exists();

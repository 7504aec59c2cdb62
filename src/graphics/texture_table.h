// The texture table: outside the device layer a texture is an id, the index of an entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "graphics/hardware_texture.h"

struct TextureEntry {
  std::unique_ptr<HardwareTexture> texture;
  int16_t width = 0;
  int16_t height = 0;
  float inverseWidth = 0;
  float inverseHeight = 0;
  bool used = false;
};

// The 32-bit image that GR_Texture_From_Bitmap takes (rows top first, 0xAARRGGBB).
struct TextureBitmap {
  int width = 0;
  int height = 0;
  const uint32_t* pixels = nullptr;
};

int GR_Texture_Find_Free();
int GR_Texture_Create_RenderTarget(int width, int height, bool flag);
int GR_Texture_Create_From_Image(uint8_t* data, size_t size);
int GR_Texture_Create_From_Image_File(uint8_t* data, size_t size);
// An image block that is only read (a texture page of the game file): see GR_D3D_Texture_Load_Block.
int GR_Texture_Create_From_Block(std::span<const uint8_t> block);
int GR_Texture_Create_From_Pixels(int width, int height, uint8_t* data, size_t size);
int GR_Texture_Create_From_Hardware(std::unique_ptr<HardwareTexture> texture, int width, int height);
int GR_Texture_From_Bitmap(const TextureBitmap* bitmap);
bool GR_Texture_Exists(int id);
// The entry of a used slot; null for any other id.
TextureEntry* GR_Texture_Entry(int id);
HardwareTexture* GR_Texture_Get(int id);
void GR_Texture_Free(int id);
float GR_Texture_Get_Width(int id);
float GR_Texture_Get_Height(int id);
void GR_Texture_Preload(int id);
void GR_Texture_Set_Priority(int id, int priority);
void GR_Texture_Clear_Table();
int GR_Texture_Count();
uint32_t GR_Color_Alpha_To_ARGB(uint32_t colour, float alpha);

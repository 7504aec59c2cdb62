#include "graphics/texture_table.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

std::vector<std::unique_ptr<TextureEntry>>& Table() {
  static std::vector<std::unique_ptr<TextureEntry>> table;
  return table;
}

int16_t Side16(int value) { return static_cast<int16_t>(std::clamp(value, -32768, 32767)); }

float Inverse(int size) { return size != 0 ? 1.0f / static_cast<float>(size) : 0.0f; }

TextureEntry* Entry(int id) {
  auto& table = Table();
  if (id < 0 || id >= static_cast<int>(table.size())) return nullptr;
  return table[static_cast<size_t>(id)].get();
}

// A creation that failed leaves its slot free and answers -1.
int Fill(int id, std::unique_ptr<HardwareTexture> texture, int width, int height, float inverseWidth,
         float inverseHeight) {
  TextureEntry* entry = Entry(id);
  if (!texture) {
    *entry = TextureEntry{};
    return -1;
  }
  entry->texture = std::move(texture);
  entry->width = Side16(width);
  entry->height = Side16(height);
  entry->inverseWidth = inverseWidth;
  entry->inverseHeight = inverseHeight;
  entry->used = true;
  return id;
}

}  // namespace

int GR_Texture_Find_Free() {
  auto& table = Table();
  for (size_t i = 0; i < table.size(); ++i) {
    if (!table[i]->used) return static_cast<int>(i);
  }
  table.push_back(std::make_unique<TextureEntry>());
  return static_cast<int>(table.size() - 1);
}

int GR_Texture_Create_RenderTarget(int width, int height, bool flag) {
  int id = GR_Texture_Find_Free();
  auto texture = GR_D3D_Texture_Create(width, height, 1, flag ? kTextureRenderTarget : 0, kFormatA8R8G8B8);
  float iw = texture ? Inverse(texture->Width()) : 0.0f;
  float ih = texture ? Inverse(texture->Height()) : 0.0f;
  return Fill(id, std::move(texture), width, height, iw, ih);
}

int GR_Texture_Create_From_Image(uint8_t* data, size_t size) {
  int id = GR_Texture_Find_Free();
  TextureInfo info;
  auto texture = GR_D3D_Texture_Load(data, size, info, kFormatA8R8G8B8);
  // The image sits in the top-left corner of a texture that may be larger (sides of 64 and
  // up): texture coordinates scale by the texture's own size, or a small page would be
  // sampled at twice its size.
  const float iw = texture ? Inverse(texture->Width()) : 0.0f;
  const float ih = texture ? Inverse(texture->Height()) : 0.0f;
  return Fill(id, std::move(texture), info.width, info.height, iw, ih);
}

int GR_Texture_Create_From_Block(std::span<const uint8_t> block) {
  int id = GR_Texture_Find_Free();
  TextureInfo info;
  auto texture = GR_D3D_Texture_Load_Block(block, info, kFormatA8R8G8B8);
  const float iw = texture ? Inverse(texture->Width()) : 0.0f;
  const float ih = texture ? Inverse(texture->Height()) : 0.0f;
  return Fill(id, std::move(texture), info.width, info.height, iw, ih);
}

int GR_Texture_Create_From_Image_File(uint8_t* data, size_t size) { return GR_Texture_Create_From_Image(data, size); }

int GR_Texture_Create_From_Pixels(int width, int height, uint8_t* data, size_t size) {
  int id = GR_Texture_Find_Free();
  TextureInfo info;
  std::unique_ptr<HardwareTexture> texture;
  if (width > 0 && height > 0 && size == static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    std::copy(data, data + size, reinterpret_cast<uint8_t*>(pixels.data()));
    texture = GR_D3D_Texture_Create_From_Pixels(pixels.data(), width, height, info);
  } else {
    texture = GR_D3D_Texture_Load(data, size, info, kFormatA8R8G8B8);
  }
  return Fill(id, std::move(texture), width, height, Inverse(info.width), Inverse(info.height));
}

int GR_Texture_Create_From_Hardware(std::unique_ptr<HardwareTexture> texture, int width, int height) {
  int id = GR_Texture_Find_Free();
  return Fill(id, std::move(texture), width, height, Inverse(width), Inverse(height));
}

int GR_Texture_From_Bitmap(const TextureBitmap* bitmap) {
  if (bitmap == nullptr || bitmap->pixels == nullptr) return -1;
  size_t size = static_cast<size_t>(bitmap->width) * static_cast<size_t>(bitmap->height) * 4;
  std::vector<uint8_t> copy(reinterpret_cast<const uint8_t*>(bitmap->pixels),
                            reinterpret_cast<const uint8_t*>(bitmap->pixels) + size);
  return GR_Texture_Create_From_Pixels(bitmap->width, bitmap->height, copy.data(), size);
}

bool GR_Texture_Exists(int id) {
  TextureEntry* entry = Entry(id);
  return entry != nullptr && entry->used;
}

TextureEntry* GR_Texture_Entry(int id) {
  TextureEntry* entry = Entry(id);
  return entry != nullptr && entry->used ? entry : nullptr;
}

HardwareTexture* GR_Texture_Get(int id) {
  TextureEntry* entry = Entry(id);
  return entry != nullptr && entry->used ? entry->texture.get() : nullptr;
}

void GR_Texture_Free(int id) {
  TextureEntry* entry = Entry(id);
  if (entry == nullptr || !entry->used) return;
  Texture_Free(entry->texture);
  entry->used = false;
}

float GR_Texture_Get_Width(int id) {
  TextureEntry* entry = Entry(id);
  if (entry == nullptr || !entry->used) return 1.0f;
  return static_cast<float>(static_cast<double>(entry->width) * static_cast<double>(entry->inverseWidth));
}

float GR_Texture_Get_Height(int id) {
  TextureEntry* entry = Entry(id);
  if (entry == nullptr || !entry->used) return 1.0f;
  return static_cast<float>(static_cast<double>(entry->height) * static_cast<double>(entry->inverseHeight));
}

// Residency and priority mean nothing to the OpenGL device.
void GR_Texture_Preload(int id) {}
void GR_Texture_Set_Priority(int id, int priority) {}

void GR_Texture_Clear_Table() {
  Table().clear();
}

int GR_Texture_Count() { return static_cast<int>(Table().size()); }

uint32_t GR_Color_Alpha_To_ARGB(uint32_t colour, float alpha) {
  double scaled = static_cast<double>(alpha) * 255.0;
  // Truncated toward zero, then clamped (NaN converts to the lowest integer, so 0).
  int a = std::isnan(scaled) ? 0 : scaled >= 255.0 ? 255 : scaled <= 0.0 ? 0 : static_cast<int>(scaled);
  return (static_cast<uint32_t>(a) << 24) | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

#include "graphics/embedded_images.h"

#include <cstring>
#include <vector>

#include "graphics/debug_font_image.h"
#include "graphics/hardware_texture.h"
#include "graphics/particles/particle_shapes.h"

namespace {

std::vector<uint8_t> g_table;

uint32_t ReadU32(size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, g_table.data() + at, 4);
  return v;
}
void PutU32(size_t at, uint32_t v) { std::memcpy(g_table.data() + at, &v, 4); }

}  // namespace

void SetEmbeddedImageTable() {
  if (!g_table.empty()) return;
  std::vector<std::vector<uint8_t>> images(kEmbeddedImageCount);
  for (int shape = 0; shape < kParticleShapeCount; ++shape) images[shape + 1] = ParticleShape_RawImage(shape);
  images[kEmbeddedDebugFont] = DebugFont_RawImage();
  const size_t header = 4 + 8 * static_cast<size_t>(kEmbeddedImageCount);
  size_t total = header;
  for (const auto& image : images) total += image.size();
  g_table.assign(total, 0);
  PutU32(0, kEmbeddedImageCount);
  size_t at = header;
  for (size_t i = 0; i < images.size(); ++i) {
    PutU32(4 + 8 * i, static_cast<uint32_t>(images[i].size()));
    PutU32(8 + 8 * i, static_cast<uint32_t>(images[i].empty() ? 0 : at));
    if (!images[i].empty()) std::memcpy(g_table.data() + at, images[i].data(), images[i].size());
    at += images[i].size();
  }
}

std::span<const uint8_t> EmbeddedImage_Data(int index) {
  if (g_table.size() < 4 || index < 0 || static_cast<uint32_t>(index) >= ReadU32(0)) return {};
  const size_t size = ReadU32(4 + 8 * static_cast<size_t>(index));
  const size_t offset = ReadU32(8 + 8 * static_cast<size_t>(index));
  if (size == 0 || offset > g_table.size() || size > g_table.size() - offset) return {};
  return std::span<const uint8_t>(g_table).subspan(offset, size);
}

size_t EmbeddedImage_Size(int index) { return EmbeddedImage_Data(index).size(); }

std::unique_ptr<HardwareTexture> LoadTextureFromEmbedded(int index) {
  const std::span<const uint8_t> data = EmbeddedImage_Data(index);
  if (data.empty()) return nullptr;
  // The loader may convert pixels in place: it works on a copy.
  std::vector<uint8_t> copy(data.begin(), data.end());
  TextureInfo info;
  return GR_D3D_Texture_Load(copy.data(), copy.size(), info, 0);
}

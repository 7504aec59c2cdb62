#include "graphics/embedded_images.h"

#include <array>
#include <vector>

#include "graphics/debug_font_image.h"
#include "graphics/hardware_texture.h"
#include "graphics/particles/particle_shapes.h"

namespace {

// Each image is drawn the first time it is asked for: a game that never draws a particle
// shape or the built-in font does not pay for them at start-up.
struct Slot {
  bool drawn = false;
  std::vector<uint8_t> bytes;
};

std::array<Slot, kEmbeddedImageCount>& Slots() {
  static std::array<Slot, kEmbeddedImageCount> slots;
  return slots;
}

std::vector<uint8_t> DrawImage(int index) {
  if (index >= 1 && index <= kParticleShapeCount) return ParticleShape_RawImage(index - 1);
  if (index == kEmbeddedDebugFont) return DebugFont_RawImage();
  return {};
}

}  // namespace

void SetEmbeddedImageTable() {
  // The slots exist from here on; their images are drawn on demand (EmbeddedImage_Data).
  Slots();
}

std::span<const uint8_t> EmbeddedImage_Data(int index) {
  if (index < 0 || index >= kEmbeddedImageCount) return {};
  Slot& slot = Slots()[static_cast<size_t>(index)];
  if (!slot.drawn) {
    slot.bytes = DrawImage(index);
    slot.drawn = true;
  }
  return slot.bytes;
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

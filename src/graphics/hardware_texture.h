// Hardware textures: the record of one device texture with its render surface and its
// depth buffer when it is a render target. The pixels live on the device only: reading them
// back goes through the device (Graphics_GrabSurfaceRect).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "graphics/opengl/gl_device.h"

// Format codes of textures.
inline constexpr uint32_t kFormatNone = 0;
inline constexpr uint32_t kFormatA8R8G8B8 = 6;
inline constexpr uint32_t kFormatA4R4G4B4 = 11;

struct HardwareTexture {
  uint32_t formatCode = 0;
  uint32_t packedSize = 0;  // bits 0-12 width - 1, 13-25 height - 1, 26-31 levels - 1
  uint32_t flags = 0;       // bit 0: render surface newer than the texture
  gfx::GLTexture gl;

  HardwareTexture() = default;
  ~HardwareTexture();
  HardwareTexture(const HardwareTexture&) = delete;
  HardwareTexture& operator=(const HardwareTexture&) = delete;

  int Width() const { return static_cast<int>(packedSize & 0x1FFF) + 1; }
  int Height() const { return static_cast<int>((packedSize >> 13) & 0x1FFF) + 1; }
  bool Dirty() const { return (flags & 1) != 0; }
};
inline constexpr uint32_t kTextureDirty = 1;

uint32_t Texture_PackSize(int width, int height, int levels);

// What the creation operations report of an image.
struct TextureInfo {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits = 0;
  int32_t mipLevels = 0;
  int32_t format = 0;
  int32_t resourceType = 0;
  int32_t last = 0;
};

// Rounds a size up to 64, 128, ... 4096 (4096 for anything larger).
int Texture_RoundSize(int size);

// Creation flags: bit 0 render target; bit 1 keeps the exact size without being one
// (decoded image files).
inline constexpr uint32_t kTextureRenderTarget = 1;
inline constexpr uint32_t kTextureExactSize = 2;
std::unique_ptr<HardwareTexture> GR_D3D_Texture_Create(int width, int height, int levels, uint32_t flags,
                                                       uint32_t format);
// A power-of-two texture of format code 6 holding the pixels (0xAARRGGBB words).
std::unique_ptr<HardwareTexture> GR_D3D_Texture_Create_From_Pixels(const uint32_t* pixels, int width, int height,
                                                                   TextureInfo& info);
// A "RAW " block or an image file. The "RAW " pixels are converted in the caller's buffer.
std::unique_ptr<HardwareTexture> GR_D3D_Texture_Load(uint8_t* data, size_t size, TextureInfo& info,
                                                     uint32_t format);
// A "RAW " block or an image file that is only read: 32-bit "RAW " pixels whose size needs no
// rounding go to the device straight from it; anything else is converted in a copy.
std::unique_ptr<HardwareTexture> GR_D3D_Texture_Load_Block(std::span<const uint8_t> block, TextureInfo& info,
                                                           uint32_t format);
bool GR_D3D_Texture_Upload(HardwareTexture& texture, int level, int width, int height, const void* pixels);
// Makes the texture hold what was drawn into it.
bool GR_D3D_Texture_Resolve(HardwareTexture& texture);
// Blocks of width x height pixels (bytes B, G, R, A); empty when nothing can be read.
std::vector<uint32_t> Graphics_GrabScreenRect(int screenWidth, int screenHeight, int x, int y, int width,
                                              int height);
std::vector<uint32_t> Graphics_GrabSurfaceRect(HardwareTexture* texture, int x, int y, int width, int height);
void Graphics_CopySurfaceRect(HardwareTexture* destination, int x, int y, HardwareTexture* source, int xs, int ys,
                              int width, int height);
void Texture_Free(std::unique_ptr<HardwareTexture>& texture);

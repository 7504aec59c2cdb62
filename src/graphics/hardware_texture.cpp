#include "graphics/hardware_texture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstring>

#include "graphics/batch.h"
#include "graphics/device.h"
#include "graphics/render_state.h"
#include "platform/console.h"

namespace {

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// The largest texture side the packed size can hold.
constexpr int kMaxPackedSide = 8192;

}  // namespace

HardwareTexture::~HardwareTexture() {
  GR_D3D_Batch_ForgetTexture(this);
  if (gfx::CGLDevice* device = Graphics_Device(); device != nullptr && gl.texture != 0) device->DestroyTexture(gl);
}

uint32_t Texture_PackSize(int width, int height, int levels) {
  auto field = [](int v, int bits) { return static_cast<uint32_t>(std::max(v - 1, 0)) & ((1u << bits) - 1); };
  return field(width, 13) | (field(height, 13) << 13) | (field(levels, 6) << 26);
}

int Texture_RoundSize(int size) {
  for (int side = 64; side <= 4096; side *= 2) {
    if (size <= side) return side;
  }
  return 4096;
}

std::unique_ptr<HardwareTexture> GR_D3D_Texture_Create(int width, int height, int levels, uint32_t flags,
                                                       uint32_t format) {
  gfx::CGLDevice* device = Graphics_Device();
  bool renderTarget = (flags & 1) != 0;
  bool exactSize = renderTarget || (flags & kTextureExactSize) != 0;
  if (!exactSize) {
    width = Texture_RoundSize(width);
    height = Texture_RoundSize(height);
  }
  if (width < 1 || height < 1 || width > kMaxPackedSide || height > kMaxPackedSide) {
    g_DebugConsole->Output("CreateTexture failed - %08x\n", 0x8876086Cu);
    return nullptr;
  }
  auto texture = std::make_unique<HardwareTexture>();
  texture->packedSize = Texture_PackSize(width, height, levels);
  texture->formatCode = format;
  int samples = renderTarget ? Graphics_AppliedMultisample() : 0;
  if (device == nullptr || !device->CreateTexture(texture->gl, width, height, renderTarget, samples)) {
    g_DebugConsole->Output("CreateTexture failed - %08x\n", 0x8876017Cu);
    return nullptr;
  }
  texture->flags = 0;
  return texture;
}

std::unique_ptr<HardwareTexture> GR_D3D_Texture_Create_From_Pixels(const uint32_t* pixels, int width, int height,
                                                                   TextureInfo& info) {
  if (pixels == nullptr || width < 1 || height < 1) return nullptr;
  auto texture = GR_D3D_Texture_Create(width, height, 1, 0, kFormatA8R8G8B8);
  if (!texture) return nullptr;
  info = {texture->Width(), texture->Height(), 32, 0, 6, -1, 6};
  // An image larger than the texture is cut to it.
  int copyWidth = std::min(width, texture->Width());
  int copyHeight = std::min(height, texture->Height());
  if (copyWidth == width) {
    GR_D3D_Texture_Upload(*texture, 0, copyWidth, copyHeight, pixels);
  } else {
    std::vector<uint32_t> cut(static_cast<size_t>(copyWidth) * static_cast<size_t>(copyHeight));
    for (int row = 0; row < copyHeight; ++row) {
      std::memcpy(&cut[static_cast<size_t>(row) * static_cast<size_t>(copyWidth)],
                  pixels + static_cast<size_t>(row) * static_cast<size_t>(width),
                  static_cast<size_t>(copyWidth) * 4);
    }
    GR_D3D_Texture_Upload(*texture, 0, copyWidth, copyHeight, cut.data());
  }
  return texture;
}

namespace {

// A texture of exactly width x height made holding the R, G, B, A bytes; null when its size
// would be rounded up (the caller then fills a cleared texture) or the device refuses it.
std::unique_ptr<HardwareTexture> CreateHoldingRGBA(const uint8_t* rgba, int width, int height) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr || Texture_RoundSize(width) != width || Texture_RoundSize(height) != height) return nullptr;
  auto texture = std::make_unique<HardwareTexture>();
  texture->packedSize = Texture_PackSize(width, height, 1);
  texture->formatCode = kFormatA8R8G8B8;
  if (!device->CreateTextureHolding(texture->gl, width, height, rgba)) return nullptr;
  texture->flags = 0;
  return texture;
}

// The fields of a "RAW " block's header: false when it is none or its pixels are cut short.
struct RawHeader {
  uint32_t width = 0, height = 0, type = 0;
};
bool ReadRawHeader(const uint8_t* data, size_t size, RawHeader& header) {
  if (size < 16 || std::memcmp(data, "RAW ", 4) != 0) return false;
  header = {ReadU32(data + 4), ReadU32(data + 8), ReadU32(data + 12)};
  if (header.type > 1 || header.width < 1 || header.height < 1 || header.width > 4096 || header.height > 4096) {
    return false;
  }
  const size_t bytesPerPixel = header.type == 0 ? 4 : 2;
  return size - 16 >= static_cast<size_t>(header.width) * header.height * bytesPerPixel;
}

std::unique_ptr<HardwareTexture> LoadRaw(uint8_t* data, size_t size, TextureInfo& info) {
  if (size < 16) return nullptr;
  uint32_t width = ReadU32(data + 4);
  uint32_t height = ReadU32(data + 8);
  uint32_t type = ReadU32(data + 12);
  info.width = static_cast<int32_t>(width);
  info.height = static_cast<int32_t>(height);
  info.mipLevels = 0;
  info.resourceType = -1;
  if (type > 1 || width < 1 || height < 1 || width > 4096 || height > 4096) return nullptr;
  size_t bytesPerPixel = type == 0 ? 4 : 2;
  size_t pixelBytes = static_cast<size_t>(width) * height * bytesPerPixel;
  // A block shorter than its pixels is refused rather than read past its end.
  if (size - 16 < pixelBytes) return nullptr;
  uint8_t* pixels = data + 16;
  if (type == 0) {
    info.bits = 32;
    info.format = info.last = static_cast<int32_t>(kFormatA8R8G8B8);
    for (size_t i = 0; i < pixelBytes; i += 4) std::swap(pixels[i], pixels[i + 2]);
    auto texture = GR_D3D_Texture_Create(static_cast<int>(width), static_cast<int>(height), 1, 0, kFormatA8R8G8B8);
    if (!texture) return nullptr;
    GR_D3D_Texture_Upload(*texture, 0, static_cast<int>(width), static_cast<int>(height), pixels);
    return texture;
  }
  info.bits = 16;
  info.format = info.last = static_cast<int32_t>(kFormatA4R4G4B4);
  for (size_t i = 0; i < pixelBytes; i += 2) {
    uint16_t v = static_cast<uint16_t>(pixels[i] | (pixels[i + 1] << 8));
    uint16_t r = static_cast<uint16_t>(((v & 0xF) << 12) | ((v & 0xF0) << 4) | ((v >> 4) & 0xF0) | (v >> 12));
    pixels[i] = static_cast<uint8_t>(r & 0xFF);
    pixels[i + 1] = static_cast<uint8_t>(r >> 8);
  }
  auto texture = GR_D3D_Texture_Create(static_cast<int>(width), static_cast<int>(height), 1, 0, kFormatA4R4G4B4);
  if (!texture) return nullptr;
  GR_D3D_Texture_Upload(*texture, 0, static_cast<int>(width), static_cast<int>(height), pixels);
  return texture;
}

}  // namespace

std::unique_ptr<HardwareTexture> GR_D3D_Texture_Load_Block(std::span<const uint8_t> block, TextureInfo& info,
                                                           uint32_t format) {
  RawHeader raw;
  if (ReadRawHeader(block.data(), block.size(), raw) && raw.type == 0) {
    const int width = static_cast<int>(raw.width), height = static_cast<int>(raw.height);
    if (auto texture = CreateHoldingRGBA(block.data() + 16, width, height)) {
      info = {width, height, 32, 0, static_cast<int32_t>(kFormatA8R8G8B8), -1, static_cast<int32_t>(kFormatA8R8G8B8)};
      return texture;
    }
  }
  std::vector<uint8_t> copy(block.begin(), block.end());
  return GR_D3D_Texture_Load(copy.data(), copy.size(), info, format);
}

std::unique_ptr<HardwareTexture> GR_D3D_Texture_Load(uint8_t* data, size_t size, TextureInfo& info,
                                                     uint32_t format) {
  info = {};
  if (data == nullptr || size == 0) return nullptr;
  if (size >= 4 && std::memcmp(data, "RAW ", 4) == 0) return LoadRaw(data, size, info);
  if (size > static_cast<size_t>(INT32_MAX)) return nullptr;

  SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (stream == nullptr) return nullptr;
  SDL_Surface* decoded = IMG_Load_RW(stream, 1);
  if (decoded == nullptr) return nullptr;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(decoded);
  if (argb == nullptr) return nullptr;
  int width = argb->w, height = argb->h;
  std::unique_ptr<HardwareTexture> texture;
  if (width >= 1 && height >= 1 && width <= 4096 && height <= 4096) {
    // A decoded file keeps its own size: its texture coordinates are 1 / the image size.
    texture = GR_D3D_Texture_Create(width, height, 1, kTextureExactSize, kFormatA8R8G8B8);
    if (texture) {
      std::vector<uint32_t> rows(static_cast<size_t>(width) * static_cast<size_t>(height));
      SDL_LockSurface(argb);
      for (int row = 0; row < height; ++row) {
        std::memcpy(&rows[static_cast<size_t>(row) * static_cast<size_t>(width)],
                    static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(row) * argb->pitch,
                    static_cast<size_t>(width) * 4);
      }
      SDL_UnlockSurface(argb);
      GR_D3D_Texture_Upload(*texture, 0, width, height, rows.data());
      info = {width, height, 32, 1, static_cast<int32_t>(format), 3, 0};
    }
  }
  SDL_FreeSurface(argb);
  return texture;
}

bool GR_D3D_Texture_Upload(HardwareTexture& texture, int level, int width, int height, const void* pixels) {
  gfx::CGLDevice* device = Graphics_Device();
  if (pixels == nullptr || width < 1 || height < 1) return false;
  int textureWidth = texture.Width(), textureHeight = texture.Height();
  width = std::min(width, textureWidth);
  height = std::min(height, textureHeight);
  const bool sixteen = texture.formatCode == kFormatA4R4G4B4;
  if (device == nullptr || level != 0) return false;
  if (!device->UploadTexture(texture.gl, width, height, pixels, sixteen, width)) {
    g_DebugConsole->Output("Failed CreateTexture on SystemMem");
    return false;
  }
  return true;
}

bool GR_D3D_Texture_Resolve(HardwareTexture& texture) {
  // Without multisampling the drawing landed in the texture itself and only the mark is
  // left to clear. A multisampled surface is copied into the texture; the target is not
  // switched, so the viewport stays as it is.
  texture.flags &= ~kTextureDirty;
  if (gfx::CGLDevice* device = Graphics_Device(); device != nullptr) device->ResolveTexture(texture.gl);
  return true;
}

std::vector<uint32_t> Graphics_GrabScreenRect(int screenWidth, int screenHeight, int x, int y, int width,
                                              int height) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return {};
  GR_D3D_Batch_Flush();
  // A rectangle that starts left of or above the origin loses the part outside.
  if (x < 0) {
    width += x;
    x = 0;
  }
  if (y < 0) {
    height += y;
    y = 0;
  }
  width = std::min(width, screenWidth - x);
  height = std::min(height, screenHeight - y);
  gfx::RenderSurface back = device->BackBuffer();
  width = std::min(width, back.width - x);
  height = std::min(height, back.height - y);
  if (width < 1 || height < 1) return {};
  std::vector<uint32_t> block(static_cast<size_t>(width) * static_cast<size_t>(height));
  if (!device->ReadPixels(back, x, y, width, height, block.data())) return {};
  return block;
}

std::vector<uint32_t> Graphics_GrabSurfaceRect(HardwareTexture* texture, int x, int y, int width, int height) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr || texture == nullptr) return {};
  GR_D3D_Batch_Flush();
  if (x < 0) {
    width += x;
    x = 0;
  }
  if (y < 0) {
    height += y;
    y = 0;
  }
  gfx::RenderSurface surface = device->SurfaceOf(texture->gl);
  width = std::min(width, surface.width - x);
  height = std::min(height, surface.height - y);
  if (width < 1 || height < 1) return {};
  std::vector<uint32_t> block(static_cast<size_t>(width) * static_cast<size_t>(height));
  if (!device->ReadPixels(surface, x, y, width, height, block.data())) return {};
  return block;
}

void Graphics_CopySurfaceRect(HardwareTexture* destination, int x, int y, HardwareTexture* source, int xs, int ys,
                              int width, int height) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr || destination == nullptr || source == nullptr) return;
  GR_D3D_Batch_Flush();
  if (width < 1 || height < 1) return;
  xs = std::max(xs, 0);
  ys = std::max(ys, 0);
  gfx::RenderSurface from = device->SurfaceOf(source->gl);
  gfx::RenderSurface to = device->SurfaceOf(destination->gl);
  if (x < 0 || y < 0) return;
  width = std::min({width, from.width - xs, to.width - x});
  height = std::min({height, from.height - ys, to.height - y});
  if (width < 1 || height < 1) return;
  const int sourceRect[4] = {xs, ys, xs + width, ys + height};
  const int destRect[4] = {x, y, x + width, y + height};
  device->StretchRect(from, sourceRect, to, destRect, true);
}

void Texture_Free(std::unique_ptr<HardwareTexture>& texture) { texture.reset(); }

#include "platform/bitmap_loader.h"

#include <cstring>

#include "platform/image_surface.h"

std::unique_ptr<IBitmap> BitmapLoader::GetFrame(int32_t index) {
  if (index < 0 || index >= GetFrameCount()) return nullptr;
  auto frame = std::make_unique<TBitmap>();
  frame->Assign(frames_[size_t(index)]);
  return frame;
}

std::unique_ptr<IBitmapLoader> BitmapLoader_FromMemory(std::span<const uint8_t> bytes) {
  ImageHeader header;
  if (!ImageHeader_Read(bytes, header)) return nullptr;
  std::vector<SurfacePtr> surfaces = ImageSurface_DecodeFrames(bytes);
  if (surfaces.empty()) return nullptr;
  std::vector<TBitmap> frames;
  frames.reserve(surfaces.size());
  for (SurfacePtr& surface : surfaces) {
    if (!Bitmap_SizeAllowed(surface->w, surface->h)) return nullptr;
    std::vector<uint8_t> block = TBitmap::MakeBlock(surface->w, surface->h, static_cast<int32_t>(BitmapFormat::Argb32));
    if (block.empty() || SDL_LockSurface(surface.get()) != 0) return nullptr;
    size_t rowBytes = size_t(surface->w) * 4;
    for (int y = 0; y < surface->h; ++y)
      std::memcpy(block.data() + kBitmapHeaderSize + size_t(y) * rowBytes,
                  static_cast<const uint8_t*>(surface->pixels) + size_t(y) * size_t(surface->pitch), rowBytes);
    SDL_UnlockSurface(surface.get());
    TBitmap frame;
    if (!frame.AttachPixels(std::move(block), 0)) return nullptr;
    frames.push_back(std::move(frame));
  }
  return std::make_unique<BitmapLoader>(std::move(frames));
}

std::unique_ptr<IBitmapLoader> BitmapLoader_FromFile(const std::string& name) {
  std::vector<uint8_t> bytes;
  if (!Bitmap_ReadFile(name, bytes)) return nullptr;
  return BitmapLoader_FromMemory(bytes);
}

std::unique_ptr<IBitmapLoader> BitmapLoader_FromPixels(std::span<const uint32_t> pixels, int32_t width,
                                                       int32_t height) {
  if (!Bitmap_SizeAllowed(width, height) || pixels.size() < size_t(width) * size_t(height)) return nullptr;
  std::vector<uint8_t> block = TBitmap::MakeBlock(width, height, static_cast<int32_t>(BitmapFormat::Argb32));
  std::memcpy(block.data() + kBitmapHeaderSize, pixels.data(), size_t(width) * size_t(height) * 4);
  TBitmap frame;
  if (!frame.AttachPixels(std::move(block), 0)) return nullptr;
  std::vector<TBitmap> frames;
  frames.push_back(std::move(frame));
  return std::make_unique<BitmapLoader>(std::move(frames));
}

#include "platform/image_surface.h"

#include <SDL2/SDL_image.h>

namespace {

struct AnimationDeleter {
  void operator()(IMG_Animation* animation) const { IMG_FreeAnimation(animation); }
};

SDL_RWops* ReadOnlyStream(std::span<const uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > size_t(INT32_MAX)) return nullptr;
  return SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
}

SurfacePtr ToArgb(SDL_Surface* surface) {
  if (!surface) return nullptr;
  return SurfacePtr(SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0));
}

}  // namespace

SurfacePtr ImageSurface_DecodeBmp(std::span<const uint8_t> bytes) {
  SDL_RWops* stream = ReadOnlyStream(bytes);
  if (!stream) return nullptr;
  SurfacePtr surface(IMG_LoadBMP_RW(stream));
  SDL_RWclose(stream);
  return surface;
}

std::vector<SurfacePtr> ImageSurface_DecodeFrames(std::span<const uint8_t> bytes) {
  std::vector<SurfacePtr> frames;
  SDL_RWops* stream = ReadOnlyStream(bytes);
  if (!stream) return frames;
  if (IMG_isGIF(stream)) {
    std::unique_ptr<IMG_Animation, AnimationDeleter> animation(IMG_LoadGIFAnimation_RW(stream));
    SDL_RWclose(stream);
    if (!animation) return frames;
    for (int i = 0; i < animation->count; ++i) {
      SurfacePtr frame = ToArgb(animation->frames[i]);
      if (!frame) return {};
      frames.push_back(std::move(frame));
    }
    return frames;
  }
  SurfacePtr surface(IMG_Load_RW(stream, 1));
  SurfacePtr frame = ToArgb(surface.get());
  if (frame) frames.push_back(std::move(frame));
  return frames;
}

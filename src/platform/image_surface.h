// The one place that asks SDL2_image to decode image files. Callers check the file's header
// with ImageHeader_Read first; these only decode bytes that passed.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A BMP file (any bit count, RLE included); null when it cannot be decoded.
SurfacePtr ImageSurface_DecodeBmp(std::span<const uint8_t> bytes);

// Every frame of an image file, each converted to 32-bit ARGB at the image's full size (a GIF's
// frames composed as the decoder composes them; other kinds give one frame). Empty when the file
// cannot be decoded.
std::vector<SurfacePtr> ImageSurface_DecodeFrames(std::span<const uint8_t> bytes);

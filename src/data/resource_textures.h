// The texture calls that run-time sprites and backgrounds make. The graphics layer installs
// its own (GR_Texture_From_Bitmap, GR_Texture_Preload, GR_Texture_Free, GR_TPE_Read_Frame);
// until it does, no texture is made, ids stay -1 and no page is read.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "platform/bitmap32.h"

struct TPageRecord;

struct ResourceTextureCalls {
  std::function<int32_t(const CBitmap32& image)> fromBitmap;
  std::function<void(int32_t id)> preload;
  std::function<void(int32_t id)> release;
  // The pixels a texture-page entry draws as a frame of width x height: the entry's rectangle
  // at its place in the frame, the rest transparent; an invalid image when the page cannot
  // be read.
  std::function<CBitmap32(const TPageRecord& entry, int32_t width, int32_t height)> readFrame;
};

// Replaces the calls (an empty member makes that call do nothing / answer -1).
void ResourceTextures_Install(ResourceTextureCalls calls);

int32_t ResourceTexture_FromBitmap(const CBitmap32& image);
void ResourceTexture_Preload(int32_t id);
// Ids below 0 are ignored.
void ResourceTexture_Free(int32_t id);
// An invalid image without the call.
CBitmap32 ResourceTexture_ReadFrame(const TPageRecord& entry, int32_t width, int32_t height);

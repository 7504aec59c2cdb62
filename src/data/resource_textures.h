// The texture calls that run-time sprites and backgrounds make. The graphics layer installs
// its own (GR_Texture_From_Bitmap, GR_Texture_Create_From_Image_File, GR_Texture_Preload,
// GR_Texture_Free); until it does, no texture is made and ids stay -1.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

class CBitmap32;

struct ResourceTextureCalls {
  std::function<int32_t(const CBitmap32& image)> fromBitmap;
  std::function<void(int32_t id)> preload;
  std::function<void(int32_t id)> release;
};

// Replaces the calls (an empty member makes that call do nothing / answer -1).
void ResourceTextures_Install(ResourceTextureCalls calls);

int32_t ResourceTexture_FromBitmap(const CBitmap32& image);
void ResourceTexture_Preload(int32_t id);
// Ids below 0 are ignored.
void ResourceTexture_Free(int32_t id);

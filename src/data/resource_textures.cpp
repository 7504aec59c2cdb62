#include "data/resource_textures.h"

#include <utility>

namespace {
// At namespace scope, so that it is made before and destroyed after the resource tables (made
// on first use), whose last sprites may still release textures at exit.
ResourceTextureCalls g_calls;
ResourceTextureCalls& Calls() { return g_calls; }
}  // namespace

void ResourceTextures_Install(ResourceTextureCalls calls) { Calls() = std::move(calls); }

int32_t ResourceTexture_FromBitmap(const CBitmap32& image) {
  return Calls().fromBitmap ? Calls().fromBitmap(image) : -1;
}

void ResourceTexture_Preload(int32_t id) {
  if (id >= 0 && Calls().preload) Calls().preload(id);
}

void ResourceTexture_Free(int32_t id) {
  if (id >= 0 && Calls().release) Calls().release(id);
}

CBitmap32 ResourceTexture_ReadFrame(const TPageRecord& entry, int32_t width, int32_t height) {
  return Calls().readFrame ? Calls().readFrame(entry, width, height) : CBitmap32();
}

#include "graphics/batch.h"

#include <array>

#include "graphics/d3d_numbering.h"
#include "graphics/device.h"
#include "graphics/graphics_state.h"
#include "graphics/render_state.h"

namespace {

struct Batch {
  std::array<uint8_t, static_cast<size_t>(kBatchCapacity) * 36> buffer{};
  int type = -1;
  HardwareTexture* texture = nullptr;
  int vertexSize = 0;
  int count = 0;
  uint32_t lastFvf = 0;
  HardwareTexture* lastBound = nullptr;
  BatchCounters counters;
};

Batch& TheBatch() {
  static Batch batch;
  return batch;
}

static_assert(kBatchCapacity / 4 <= static_cast<int>(gfx::CGLDevice::kMostIndexedQuads));

bool Joinable(int type) { return type != 3 && type != 5 && type != 6; }

uint32_t FvfOf(int vertexSize) {
  switch (vertexSize) {
    case 16: return d3d::kFvfXyzDiffuse;
    case 24: return d3d::kFvfXyzDiffuseTex1;
    case 36: return d3d::kFvfXyzNormalDiffuseTex1;
    default: return 0;
  }
}

}  // namespace

void* GR_D3D_Batch_Reserve(int type, HardwareTexture* texture, int vertexSize, int n) {
  Batch& b = TheBatch();
  // A reservation larger than the whole buffer cannot be served.
  if (n < 1 || n > kBatchCapacity || FvfOf(vertexSize) == 0) return nullptr;
  if (type == b.type && texture == b.texture && vertexSize == b.vertexSize && Joinable(type) &&
      b.count + n <= kBatchCapacity) {
    void* room = b.buffer.data() + static_cast<size_t>(b.count) * static_cast<size_t>(vertexSize);
    b.count += n;
    return room;
  }
  GR_D3D_Batch_Flush();
  b.type = type;
  b.texture = texture;
  b.vertexSize = vertexSize;
  b.count = n;
  return b.buffer.data();
}

void GR_D3D_Batch_Unreserve(int n) {
  Batch& b = TheBatch();
  if (n > 0) b.count = n > b.count ? 0 : b.count - n;
}

void GR_D3D_Batch_Flush() {
  Batch& b = TheBatch();
  if (b.type == -1) return;
  if (b.count > b.counters.largestBatch) b.counters.largestBatch = b.count;
  if (b.texture != nullptr) {
    bool repeat = GR_Texture_Get_Repeat();
    Graphics_SetSampler(0, 2, repeat ? 0 : 1);
    Graphics_SetSampler(0, 3, repeat ? 0 : 1);
  }
  if (b.texture != b.lastBound) ++b.counters.textureSwapsThisFrame;
  b.lastBound = b.texture;
  Graphics_SetTexture(0, b.texture);
  GR_D3D_Draw(b.type, b.count, b.buffer.data(), b.vertexSize);
  b.type = -1;
  b.count = 0;
}

void GR_D3D_Batch_EndFrame() {
  Batch& b = TheBatch();
  b.counters.trianglesThisFrame = 0;
  b.counters.drawCallsThisFrame = 0;
  b.counters.textureSwapsThisFrame = 0;
  b.type = -1;
  b.count = 0;
}

void GR_D3D_Batch_ResetFrameCounters() {
  Batch& b = TheBatch();
  b.counters.drawCallsThisFrame = 0;
  b.counters.textureSwapsThisFrame = 0;
}

int GR_D3D_Draw(int type, int count, const void* vertices, int vertexSize) {
  Batch& b = TheBatch();
  uint32_t fvf = FvfOf(vertexSize);
  gfx::CGLDevice* device = Graphics_Device();
  if (fvf != 0 && fvf != b.lastFvf) {
    b.lastFvf = fvf;
    if (device != nullptr) device->SetFVF(fvf);
  }
  int primitives = 0;
  switch (type) {
    case 1: primitives = count; break;
    case 2: primitives = count / 2; break;
    case 3: primitives = count - 1; break;
    case 4: primitives = count / 3; break;
    case 5:
    case 6: primitives = count - 2; break;
    case kBatchQuadList: primitives = count / 4 * 2; break;
    default: return 0;
  }
  if (type >= 4) b.counters.trianglesThisFrame += primitives > 0 ? primitives : 0;
  if (primitives >= 1 && device != nullptr) {
    ++b.counters.drawCallsThisFrame;
    if (type == kBatchQuadList) {
      device->DrawQuadsUP(static_cast<uint32_t>(count / 4), vertices, static_cast<uint32_t>(vertexSize));
    } else {
      device->DrawPrimitiveUP(static_cast<d3d::PrimitiveType>(type), static_cast<uint32_t>(primitives), vertices,
                              static_cast<uint32_t>(vertexSize));
    }
  }
  return primitives;
}

void GR_D3D_Batch_ForgetTexture(const HardwareTexture* texture) {
  Batch& b = TheBatch();
  if (b.texture == texture) b.texture = nullptr;
  if (b.lastBound == texture) b.lastBound = nullptr;
}

void GR_D3D_Batch_NoteFVF(uint32_t fvf) { TheBatch().lastFvf = fvf; }
const BatchCounters& GR_D3D_Batch_Counters() { return TheBatch().counters; }
int GR_D3D_Batch_PendingCount() { return TheBatch().count; }

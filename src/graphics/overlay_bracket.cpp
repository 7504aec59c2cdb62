#include "graphics/overlay_bracket.h"

#include <array>
#include <vector>

#include "graphics/batch.h"
#include "graphics/d3d_numbering.h"
#include "graphics/device.h"
#include "graphics/graphics_state.h"
#include "graphics/render_state.h"
#include "platform/matrix.h"

namespace {

// The program's numbered render states the bracket switches.
constexpr int kDepthTest = 1, kCull = 8, kAlphaBlend = 12, kFog = 13, kLighting = 21;

struct SavedState {
  uint32_t cull = 0;
  bool depth = false, lighting = false, fog = false, interpolation = false;
  std::array<float, 16> view{}, projection{}, world{};
};

std::vector<SavedState>& Saved() {
  static std::vector<SavedState> saved;
  return saved;
}

uint32_t CullSetting(uint32_t deviceCull) {
  if (deviceCull == d3d::kCullClockwise) return 1;
  if (deviceCull == d3d::kCullCounterClockwise) return 2;
  return 0;
}

}  // namespace

void Overlay_Begin() {
  GR_D3D_Batch_Flush();
  SavedState s;
  s.cull = CullSetting(Graphics_GetDeviceRenderState(d3d::RenderState::CullMode));
  s.depth = Graphics_DepthTestEnabled();
  s.lighting = Graphics_LightingEnabled();
  s.fog = Graphics_FogEnabled();
  s.interpolation = GR_Texture_Get_Interpolation();
  Graphics_GetMatrix(0, s.view.data());
  Graphics_GetMatrix(1, s.projection.data());
  Graphics_GetMatrix(2, s.world.data());
  Saved().push_back(s);

  Graphics_SetRenderState(kCull, 0);
  Graphics_SetRenderState(kDepthTest, 0);
  Graphics_SetRenderState(kLighting, 0);
  Graphics_SetRenderState(kFog, 0);
  GR_Texture_Set_Interpolation(false);
  const float width = static_cast<float>(Graphics_Sizes().screenWidth);
  const float height = static_cast<float>(Graphics_Sizes().screenHeight);
  Matrix4 view, projection;
  Matrix_LookAt(view, {width * 0.5f, height * 0.5f, -16000.0f}, {width * 0.5f, height * 0.5f, 0.0f}, {0.0f, 1.0f, 0.0f});
  Matrix_Ortho(projection, width, static_cast<float>(Graphics_Settings().flipSign) * -height, 1.0f, 32000.0f);
  Graphics_SetMatrix(2, Matrix4::Identity().m);
  Graphics_SetMatrix(0, view.m);
  Graphics_SetMatrix(1, projection.m);
}

void Overlay_End() {
  GR_D3D_Batch_Flush();
  if (!Saved().empty()) {
    const SavedState s = Saved().back();
    Saved().pop_back();
    Graphics_SetRenderState(kCull, s.cull);
    Graphics_SetRenderState(kDepthTest, s.depth ? 1 : 0);
    Graphics_SetRenderState(kLighting, s.lighting ? 1 : 0);
    Graphics_SetRenderState(kFog, s.fog ? 1 : 0);
    GR_Texture_Set_Interpolation(s.interpolation);
    Graphics_RestoreMatrix(0, s.view.data());
    Graphics_RestoreMatrix(1, s.projection.data());
    Graphics_RestoreMatrix(2, s.world.data());
  }
  Graphics_SetTexture(0, nullptr);
  Graphics_SetRenderState(kAlphaBlend, 1);
}

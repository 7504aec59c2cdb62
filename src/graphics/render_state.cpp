#include "graphics/render_state.h"

#include <array>
#include <cstring>
#include <utility>

#include "graphics/batch.h"
#include "graphics/device.h"
#include "graphics/graphics_hooks.h"
#include "graphics/hardware_texture.h"

namespace {

using d3d::RenderState;

constexpr std::array<float, 16> kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct StateShadow {
  std::array<uint32_t, d3d::kRenderStateCount> renderStates{};
  std::array<std::array<uint32_t, d3d::kSamplerStateCount>, d3d::kSamplerStages> samplers{};
  bool depthTest = false;
  bool fog = false;
  bool lighting = false;
  uint32_t rawCull = 0;
  // The transforms as last given, identity until then (as the device starts): the frame's
  // end saves and restores the world transform through them.
  std::array<std::array<float, 16>, 3> matrices{kIdentity, kIdentity, kIdentity};
  std::array<gfx::RenderSurface, 8> targetStack{};
  int targetCount = 0;
  uint64_t deviceCalls = 0;
};

StateShadow& Shadow() {
  static StateShadow shadow;
  return shadow;
}

uint32_t BlendMap(uint32_t value) { return value >= 2 && value <= 17 ? value : 1; }
uint32_t FogModeMap(uint32_t value) { return value <= 2 ? value : 3; }

void SetDeviceState(RenderState state, uint32_t value) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;
  auto& slot = Shadow().renderStates[static_cast<size_t>(state)];
  if (slot == value) return;
  slot = value;
  ++Shadow().deviceCalls;
  device->SetRenderState(state, value);
}

}  // namespace

GraphicsHooks& Graphics_Hooks() {
  static GraphicsHooks hooks;
  return hooks;
}

void Graphics_SetRenderState(int number, uint32_t value) {
  StateShadow& s = Shadow();
  switch (number) {
    case 1:
      s.depthTest = value != 0;
      SetDeviceState(RenderState::ZEnable, value);
      break;
    case 2:
      SetDeviceState(RenderState::FillMode, value == 1 ? 1 : value == 2 ? 2 : 3);
      break;
    case 3:
      SetDeviceState(RenderState::ShadeMode, value == 1 ? 1 : 2);
      break;
    case 5:
      SetDeviceState(RenderState::AlphaTestEnable, value);
      break;
    case 6:
      SetDeviceState(RenderState::SrcBlend, BlendMap(value));
      break;
    case 7:
      SetDeviceState(RenderState::DestBlend, BlendMap(value));
      break;
    case 8:
      s.rawCull = value;
      SetDeviceState(RenderState::CullMode, value == 1 ? 2 : value == 2 ? 3 : 1);
      break;
    case 10:
      SetDeviceState(RenderState::AlphaRef, value);
      break;
    case 11:
      SetDeviceState(RenderState::AlphaFunc, value >= 1 && value <= 7 ? value : 8);
      break;
    case 12:
      SetDeviceState(RenderState::AlphaBlendEnable, value);
      break;
    case 13:
      s.fog = value != 0;
      SetDeviceState(RenderState::FogEnable, value);
      break;
    case 15:
      SetDeviceState(RenderState::FogColor, value);
      break;
    case 16:
      SetDeviceState(RenderState::FogTableMode, FogModeMap(value));
      break;
    case 17:
      SetDeviceState(RenderState::FogStart, value);
      break;
    case 18:
      SetDeviceState(RenderState::FogEnd, value);
      break;
    case 20:
      SetDeviceState(RenderState::RangeFogEnable, value);
      break;
    case 21:
      s.lighting = value != 0;
      SetDeviceState(RenderState::Lighting, value);
      break;
    case 23:
      SetDeviceState(RenderState::FogVertexMode, FogModeMap(value));
      break;
    default:
      break;  // 4, 9, 14, 19, 22 and numbers outside 1..23 do nothing
  }
}

uint32_t Graphics_GetDeviceRenderState(d3d::RenderState state) {
  return Shadow().renderStates[static_cast<size_t>(state)];
}

void Graphics_SetRenderStateDefaults() {
  Shadow().renderStates.fill(0xFFFFFFFFu);
  static constexpr std::pair<RenderState, uint32_t> kDefaults[] = {
      {RenderState::Lighting, 1},         {RenderState::ZEnable, 1},
      {RenderState::FillMode, 3},         {RenderState::ShadeMode, 2},
      {RenderState::ZWriteEnable, 1},     {RenderState::AlphaTestEnable, 0},
      {RenderState::LastPixel, 1},        {RenderState::SrcBlend, 2},
      {RenderState::DestBlend, 1},        {RenderState::CullMode, 1},
      {RenderState::ZFunc, 4},            {RenderState::AlphaRef, 128},
      {RenderState::AlphaFunc, 8},        {RenderState::DitherEnable, 1},
      {RenderState::AlphaBlendEnable, 0}, {RenderState::FogEnable, 0},
      {RenderState::SpecularEnable, 0},   {RenderState::FogColor, 0},
      {RenderState::FogTableMode, 0},     {RenderState::FogStart, 0},
      {RenderState::FogEnd, 1},           {RenderState::StencilEnable, 0},
      {RenderState::StencilZFail, 1},     {RenderState::ColorWriteEnable, 15},
      {RenderState::SeparateAlphaBlendEnable, 1},
  };
  for (const auto& [state, value] : kDefaults) SetDeviceState(state, value);
}

void Graphics_ClearShadows() {
  StateShadow& s = Shadow();
  // Cleared to a value no state takes, so that every next value reaches the device: a
  // shadow of zeros would swallow a later 0 while the device still holds the default.
  s.renderStates.fill(0xFFFFFFFFu);
  for (auto& stage : s.samplers) stage.fill(0);
  s.matrices.fill(kIdentity);
}

void Graphics_SetSampler(int stage, int which, uint32_t value) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr || stage < 0 || stage >= d3d::kSamplerStages) return;
  d3d::SamplerState state;
  uint32_t deviceValue;
  switch (which) {
    case 0: state = d3d::SamplerState::MagFilter; break;
    case 1: state = d3d::SamplerState::MinFilter; break;
    case 2: state = d3d::SamplerState::AddressU; break;
    case 3: state = d3d::SamplerState::AddressV; break;
    default: return;
  }
  if (which <= 1) {
    deviceValue = value != 0 ? d3d::kTextureFilterPoint : d3d::kTextureFilterLinear;
  } else {
    deviceValue = value != 0 ? d3d::kTextureAddressClamp : d3d::kTextureAddressWrap;
  }
  auto& slot = Shadow().samplers[static_cast<size_t>(stage)][static_cast<size_t>(state)];
  if (slot == deviceValue) return;
  slot = deviceValue;
  ++Shadow().deviceCalls;
  device->SetSamplerState(stage, state, deviceValue);
}

uint32_t Graphics_GetSamplerShadow(int stage, d3d::SamplerState state) {
  if (stage < 0 || stage >= d3d::kSamplerStages) return 0;
  return Shadow().samplers[static_cast<size_t>(stage)][static_cast<size_t>(state)];
}

void Graphics_SetTexture(int stage, HardwareTexture* texture) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;
  if (texture != nullptr && texture->Dirty()) GR_D3D_Texture_Resolve(*texture);
  device->SetTexture(stage, texture != nullptr && texture->gl.texture != 0 ? &texture->gl : nullptr);
}

void Graphics_SetMatrix(int kind, const float matrix[16]) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;
  GR_D3D_Batch_Flush();
  int index = kind == 0 ? 0 : kind == 1 ? 1 : 2;
  auto& cached = Shadow().matrices[static_cast<size_t>(index)];
  std::memcpy(cached.data(), matrix, sizeof(float) * 16);
  d3d::TransformType type = d3d::TransformType::World;
  if (index == 0) type = d3d::TransformType::View;
  if (index == 1) {
    type = d3d::TransformType::Projection;
    int width = 640, height = 480;
    const auto& query = Graphics_Hooks().projectionCorrectionSize;
    int w = 0, h = 0;
    if (query && query(w, h) && w != 0 && h != 0) {
      width = w;
      height = h;
    }
    cached[12] -= 1.0f / static_cast<float>(width);
    cached[13] += 1.0f / static_cast<float>(height);
  }
  device->SetTransform(type, cached.data());
}

void Graphics_GetMatrix(int kind, float matrix[16]) {
  int index = kind == 0 ? 0 : kind == 1 ? 1 : 2;
  std::memcpy(matrix, Shadow().matrices[static_cast<size_t>(index)].data(), sizeof(float) * 16);
}

void Graphics_RestoreMatrix(int kind, const float matrix[16]) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;
  GR_D3D_Batch_Flush();
  int index = kind == 0 ? 0 : kind == 1 ? 1 : 2;
  auto& cached = Shadow().matrices[static_cast<size_t>(index)];
  std::memcpy(cached.data(), matrix, sizeof(float) * 16);
  const d3d::TransformType type = index == 0   ? d3d::TransformType::View
                                  : index == 1 ? d3d::TransformType::Projection
                                               : d3d::TransformType::World;
  device->SetTransform(type, cached.data());
}

bool Graphics_PushRenderTarget() {
  gfx::CGLDevice* device = Graphics_Device();
  StateShadow& s = Shadow();
  if (device == nullptr) return false;
  // The stack holds eight levels; a ninth push is refused.
  if (s.targetCount >= static_cast<int>(s.targetStack.size())) return false;
  s.targetStack[static_cast<size_t>(s.targetCount++)] = device->GetRenderTarget();
  return true;
}

bool Graphics_PopRenderTarget() {
  gfx::CGLDevice* device = Graphics_Device();
  StateShadow& s = Shadow();
  if (device == nullptr || s.targetCount == 0) return false;
  device->SetRenderTarget(s.targetStack[static_cast<size_t>(--s.targetCount)]);
  return true;
}

void Graphics_PopAllRenderTargets() {
  while (Graphics_PopRenderTarget()) {
  }
  Shadow().targetCount = 0;
}

int Graphics_RenderTargetDepth() { return Shadow().targetCount; }

bool Graphics_SetRenderTarget(int index, HardwareTexture* texture) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr || texture == nullptr) return false;
  gfx::RenderSurface surface = device->SurfaceOf(texture->gl);
  if (surface.fbo == 0) return false;
  device->SetRenderTarget(surface);
  texture->flags |= kTextureDirty;
  return true;
}

void Graphics_SetTextureBlending(bool on) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;
  using d3d::TextureStageState;
  if (on) {
    device->SetTextureStageState(0, TextureStageState::ColorOp, d3d::kTextureOpModulate);
    device->SetTextureStageState(0, TextureStageState::ColorArg1, d3d::kTextureArgTexture);
    device->SetTextureStageState(0, TextureStageState::ColorArg2, d3d::kTextureArgDiffuse);
    device->SetTextureStageState(0, TextureStageState::AlphaOp, d3d::kTextureOpModulate);
    device->SetTextureStageState(0, TextureStageState::AlphaArg1, d3d::kTextureArgTexture);
    device->SetTextureStageState(0, TextureStageState::AlphaArg2, d3d::kTextureArgDiffuse);
  } else {
    device->SetTextureStageState(0, TextureStageState::ColorOp, d3d::kTextureOpSelectArg1);
    device->SetTextureStageState(0, TextureStageState::AlphaOp, d3d::kTextureOpSelectArg1);
  }
}

void Graphics_SetAmbientLight(uint32_t colour) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;
  d3d::Material material;
  material.diffuse = material.ambient = material.specular = {1.0f, 1.0f, 1.0f, 1.0f};
  material.power = 1.0f;
  device->SetMaterial(material);
  uint32_t argb = (colour & 0xFF00FF00u) | ((colour & 0xFF) << 16) | ((colour >> 16) & 0xFF);
  SetDeviceState(RenderState::Ambient, argb);
}

namespace {
d3d::ColorValue ColourBytes(uint32_t colour) {
  return {static_cast<float>(colour & 0xFF) / 255.0f, static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
          static_cast<float>((colour >> 16) & 0xFF) / 255.0f, 0.0f};
}
}  // namespace

void Graphics_DefineDirectionalLight(int index, float dx, float dy, float dz, uint32_t colour) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;
  d3d::Light light;
  light.type = d3d::LightType::Directional;
  light.direction[0] = dx;
  light.direction[1] = dy;
  light.direction[2] = dz;
  light.diffuse = ColourBytes(colour);
  device->SetLight(index & 7, light);
}

void Graphics_DefinePointLight(int index, float x, float y, float z, float range, uint32_t colour) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr) return;
  d3d::Light light;
  light.type = d3d::LightType::Point;
  light.position[0] = x;
  light.position[1] = y;
  light.position[2] = z;
  light.range = range;
  light.diffuse = ColourBytes(colour);
  light.attenuation0 = 1.0f;
  if (range > 0) light.attenuation1 = 1.0f / range;
  device->SetLight(index & 7, light);
}

void Graphics_EnableLight(int index, bool enable) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device != nullptr) device->LightEnable(index & 7, enable);
}

int Graphics_FogCaps() { return Graphics_Device() != nullptr ? 1 : 0; }
bool Graphics_DepthTestEnabled() { return Shadow().depthTest; }
bool Graphics_FogEnabled() { return Shadow().fog; }
bool Graphics_LightingEnabled() { return Shadow().lighting; }
uint64_t Graphics_DeviceStateCalls() { return Shadow().deviceCalls; }

void Graphics::Clear(uint32_t colour, float depth, uint32_t stencil, uint32_t flags) {
  gfx::CGLDevice* device = Graphics_Device();
  if (device == nullptr || flags == 0) return;
  GR_D3D_Batch_Flush();
  uint32_t argb = (colour & 0xFF00FF00u) | ((colour & 0xFF) << 16) | ((colour >> 16) & 0xFF);
  device->Clear(flags & 7, argb, 1.0f, 0);
}

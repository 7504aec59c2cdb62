// Render states, samplers and transforms: every change of device state made by the
// drawing code passes through here. A shadow copy of the state keeps a value equal to
// the current one from reaching the device.
#pragma once

#include <cstdint>

#include "graphics/d3d_numbering.h"

struct HardwareTexture;

// The program's numbered render states 1..23.
void Graphics_SetRenderState(int number, uint32_t value);
uint32_t Graphics_GetDeviceRenderState(d3d::RenderState state);
// Fills the shadow with 0xFFFFFFFF and applies the default device state.
void Graphics_SetRenderStateDefaults();
void Graphics_ClearShadows();
// which: 0 magnification, 1 minification (non-zero point), 2 address U, 3 address V
// (non-zero clamp).
void Graphics_SetSampler(int stage, int which, uint32_t value);
uint32_t Graphics_GetSamplerShadow(int stage, d3d::SamplerState state);
void Graphics_SetTexture(int stage, HardwareTexture* texture);
// kind 0 view, 1 projection, anything else world.
void Graphics_SetMatrix(int kind, const float matrix[16]);
void Graphics_GetMatrix(int kind, float matrix[16]);
// Puts back a matrix read with Graphics_GetMatrix exactly as it was (a projection is not
// corrected a second time).
void Graphics_RestoreMatrix(int kind, const float matrix[16]);
bool Graphics_PushRenderTarget();
bool Graphics_PopRenderTarget();
void Graphics_PopAllRenderTargets();
int Graphics_RenderTargetDepth();
bool Graphics_SetRenderTarget(int index, HardwareTexture* texture);
void Graphics_SetTextureBlending(bool on);
void Graphics_SetAmbientLight(uint32_t colour);
void Graphics_DefineDirectionalLight(int index, float dx, float dy, float dz, uint32_t colour);
void Graphics_DefinePointLight(int index, float x, float y, float z, float range, uint32_t colour);
void Graphics_EnableLight(int index, bool enable);
// 1 table fog, 2 vertex fog, 0 none.
int Graphics_FogCaps();
bool Graphics_DepthTestEnabled();
bool Graphics_FogEnabled();
bool Graphics_LightingEnabled();
// How many values reached the device (the shadow's effect is observable in tests).
uint64_t Graphics_DeviceStateCalls();

namespace Graphics {
bool Reset();
void Clear(uint32_t colour, float depth, uint32_t stencil, uint32_t flags);
}  // namespace Graphics

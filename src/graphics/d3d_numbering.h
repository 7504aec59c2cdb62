// The numbering of the Direct3D 9 subset that the graphics code speaks: render states,
// sampler states, texture stage states, primitive types, blend factors, transforms,
// vertex formats and clear flags. The values are Direct3D 9's; the names are ours.
// Everything above the OpenGL device (src/graphics/opengl) is written against these.
#pragma once

#include <cstdint>

namespace d3d {

enum class RenderState : uint32_t {
  ZEnable = 7,
  FillMode = 8,
  ShadeMode = 9,
  ZWriteEnable = 14,
  AlphaTestEnable = 15,
  LastPixel = 16,
  SrcBlend = 19,
  DestBlend = 20,
  CullMode = 22,
  ZFunc = 23,
  AlphaRef = 24,
  AlphaFunc = 25,
  DitherEnable = 26,
  AlphaBlendEnable = 27,
  FogEnable = 28,
  SpecularEnable = 29,
  FogColor = 34,
  FogTableMode = 35,
  FogStart = 36,
  FogEnd = 37,
  FogDensity = 38,
  RangeFogEnable = 48,
  StencilEnable = 52,
  StencilZFail = 54,
  Lighting = 137,
  Ambient = 139,
  FogVertexMode = 140,
  ColorWriteEnable = 168,
  SeparateAlphaBlendEnable = 206,
};
inline constexpr int kRenderStateCount = 210;

enum class SamplerState : uint32_t {
  AddressU = 1,
  AddressV = 2,
  MagFilter = 5,
  MinFilter = 6,
};
inline constexpr int kSamplerStateCount = 16;
inline constexpr int kSamplerStages = 8;

// Values of the sampler states used.
inline constexpr uint32_t kTextureAddressWrap = 1;
inline constexpr uint32_t kTextureAddressClamp = 3;
inline constexpr uint32_t kTextureFilterPoint = 1;
inline constexpr uint32_t kTextureFilterLinear = 2;

enum class TextureStageState : uint32_t {
  ColorOp = 1,
  ColorArg1 = 2,
  ColorArg2 = 3,
  AlphaOp = 4,
  AlphaArg1 = 5,
  AlphaArg2 = 6,
};
inline constexpr uint32_t kTextureOpSelectArg1 = 2;
inline constexpr uint32_t kTextureOpModulate = 4;
inline constexpr uint32_t kTextureArgDiffuse = 0;
inline constexpr uint32_t kTextureArgTexture = 2;

enum class PrimitiveType : uint32_t {
  PointList = 1,
  LineList = 2,
  LineStrip = 3,
  TriangleList = 4,
  TriangleStrip = 5,
  TriangleFan = 6,
};

// Blend factors 1..17.
enum class Blend : uint32_t {
  Zero = 1,
  One = 2,
  SrcColor = 3,
  InvSrcColor = 4,
  SrcAlpha = 5,
  InvSrcAlpha = 6,
  DestAlpha = 7,
  InvDestAlpha = 8,
  DestColor = 9,
  InvDestColor = 10,
  SrcAlphaSat = 11,
  BothSrcAlpha = 12,
  BothInvSrcAlpha = 13,
  BlendFactor = 14,
  InvBlendFactor = 15,
  SrcColor2 = 16,
  InvSrcColor2 = 17,
};

// Cull modes: 1 none, 2 clockwise, 3 counter-clockwise (as the triangle appears on screen).
inline constexpr uint32_t kCullNone = 1;
inline constexpr uint32_t kCullClockwise = 2;
inline constexpr uint32_t kCullCounterClockwise = 3;

inline constexpr uint32_t kFillPoint = 1;
inline constexpr uint32_t kFillWireframe = 2;
inline constexpr uint32_t kFillSolid = 3;
inline constexpr uint32_t kShadeFlat = 1;
inline constexpr uint32_t kShadeGouraud = 2;

// Comparison functions 1 never .. 8 always.
inline constexpr uint32_t kCmpNever = 1;
inline constexpr uint32_t kCmpLess = 2;
inline constexpr uint32_t kCmpEqual = 3;
inline constexpr uint32_t kCmpLessEqual = 4;
inline constexpr uint32_t kCmpGreater = 5;
inline constexpr uint32_t kCmpNotEqual = 6;
inline constexpr uint32_t kCmpGreaterEqual = 7;
inline constexpr uint32_t kCmpAlways = 8;

// Fog modes: 0 none, 1 exponential, 2 squared exponential, 3 linear.
inline constexpr uint32_t kFogNone = 0;
inline constexpr uint32_t kFogExp = 1;
inline constexpr uint32_t kFogExp2 = 2;
inline constexpr uint32_t kFogLinear = 3;

enum class TransformType : uint32_t {
  View = 2,
  Projection = 3,
  World = 256,
};

// Flexible vertex formats of the three vertex layouts.
inline constexpr uint32_t kFvfXyz = 0x002;
inline constexpr uint32_t kFvfNormal = 0x010;
inline constexpr uint32_t kFvfDiffuse = 0x040;
inline constexpr uint32_t kFvfTex1 = 0x100;
inline constexpr uint32_t kFvfXyzDiffuse = 0x42;
inline constexpr uint32_t kFvfXyzDiffuseTex1 = 0x142;
inline constexpr uint32_t kFvfXyzNormalDiffuseTex1 = 0x152;

// Clear flags.
inline constexpr uint32_t kClearTarget = 1;
inline constexpr uint32_t kClearZBuffer = 2;
inline constexpr uint32_t kClearStencil = 4;

// Results of the device-lost test.
inline constexpr uint32_t kErrDeviceLost = 0x88760868u;
inline constexpr uint32_t kErrDeviceNotReset = 0x88760869u;

enum class LightType : uint32_t { Point = 1, Spot = 2, Directional = 3 };

struct ColorValue {
  float r = 0, g = 0, b = 0, a = 0;
};

struct Light {
  LightType type = LightType::Directional;
  ColorValue diffuse;
  float position[3] = {0, 0, 0};
  float direction[3] = {0, 0, 1};
  float range = 0;
  float attenuation0 = 0;
  float attenuation1 = 0;
};

struct Material {
  ColorValue diffuse, ambient, specular, emissive;
  float power = 0;
};

}  // namespace d3d

// The OpenGL device: the one class of the runner that issues gl* calls.
//
// Its interface speaks the Direct3D 9 numbering of d3d_numbering.h (render states,
// sampler and texture stage states, transforms, primitive types, vertex formats) and
// reproduces Direct3D 9's rasterisation rules on OpenGL:
//   - pixel centres lie on integer coordinates (the vertex shader moves every vertex by
//     half a pixel right and down);
//   - lines include their last pixel while LASTPIXEL is on (a point is drawn at the end
//     of every segment);
//   - a clear touches only the current viewport;
//   - setting a render target resets the viewport to the whole target;
//   - row 0 of every target and texture is the top row (glClipControl upper-left), so
//     viewports, grabs and uploads use Direct3D's y.
// The back buffer is an offscreen framebuffer whose contents persist between frames
// (Direct3D's copy swap effect); Present copies it to the window when there is one.
// Without a window the context comes from EGL's surfaceless platform (Mesa llvmpipe).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/d3d_numbering.h"

struct SDL_Window;

namespace gfx {

// A colour target: a framebuffer object with its size. Value type; 0 is none. A
// multisampled target names the single-sampled framebuffer it resolves into.
struct RenderSurface {
  uint32_t fbo = 0;
  int width = 0;
  int height = 0;
  uint32_t resolveFbo = 0;
  uint32_t colour = 0;  // the texture the framebuffer draws into, when it is one and single-sampled
  bool operator==(const RenderSurface&) const = default;
};

// The OpenGL objects of one texture. Created and destroyed only through the device.
struct GLTexture {
  uint32_t texture = 0;
  uint32_t fbo = 0;       // made when the texture is a render target or is read or copied
  uint32_t depth = 0;     // depth-stencil renderbuffer of a render target
  uint32_t msFbo = 0;     // a multisampled render target draws here and resolves into fbo
  uint32_t msColour = 0;
  int samples = 0;
  int width = 0;
  int height = 0;
  bool renderTarget = false;
};

struct Viewport {
  int x = 0, y = 0, width = 0, height = 0;
  float minZ = 0.0f, maxZ = 1.0f;
};

struct DeviceConfig {
  SDL_Window* window = nullptr;  // null: EGL surfaceless, no presentation
  int width = 640;               // back-buffer size
  int height = 480;
  bool depth24 = true;           // D24S8 when set, else D16
  bool compatibilityContext = false;  // the fallback asks for the oldest context that works
};

class CGLDevice {
 public:
  // Null when no context can be made.
  static std::unique_ptr<CGLDevice> Create(const DeviceConfig& config);
  ~CGLDevice();
  CGLDevice(const CGLDevice&) = delete;
  CGLDevice& operator=(const CGLDevice&) = delete;

  std::string RendererName() const;
  int MaxSamples() const;
  bool HasWindow() const { return window_ != nullptr; }

  // State.
  void SetRenderState(d3d::RenderState state, uint32_t value);
  void SetSamplerState(int stage, d3d::SamplerState state, uint32_t value);
  void SetTextureStageState(int stage, d3d::TextureStageState state, uint32_t value);
  void SetTransform(d3d::TransformType type, const float matrix[16]);
  void SetViewport(const Viewport& viewport);
  const Viewport& GetViewport() const { return viewport_; }
  void SetMaterial(const d3d::Material& material);
  void SetLight(int index, const d3d::Light& light);
  const d3d::Light& GetLight(int index) const { return lights_[static_cast<size_t>(index & 7)]; }
  void LightEnable(int index, bool enable);
  void SetFVF(uint32_t fvf) { fvf_ = fvf; }
  void SetTexture(int stage, const GLTexture* texture);
  void SetSwapInterval(int interval);
  // Whether a textured draw in opaque white would write every texel it covers as it is: no
  // blending, alpha test, depth test, lighting or fog, all four channels written, polygons
  // filled, the texture's colour and alpha taken unchanged.
  bool DrawsTexelsUnchanged() const;

  // Drawing.
  void Clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil);
  void DrawPrimitiveUP(d3d::PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                       uint32_t stride);
  // Quads of four vertices each (corners in fan order), drawn as the triangles (0, 1, 2) and
  // (0, 2, 3) of each through a shared index list: the pixels of the six-vertex triangle list,
  // with a third fewer vertices to send and transform. At most kMostIndexedQuads a call.
  void DrawQuadsUP(uint32_t quadCount, const void* vertices, uint32_t stride);
  static constexpr uint32_t kMostIndexedQuads = 16384;

  // Static vertex buffers: filled once and drawn many times. A buffer belongs to the device that
  // made it (see Serial); 0 is none.
  uint32_t CreateVertexBuffer(const void* vertices, uint32_t bytes);
  void DestroyVertexBuffer(uint32_t buffer);
  // Draws primitiveCount primitives from vertex 0 of the buffer.
  void DrawPrimitive(d3d::PrimitiveType type, uint32_t buffer, uint32_t primitiveCount, uint32_t stride);
  // Different for every device made in this run, so that a buffer of an earlier device is
  // never taken for one of this device.
  uint64_t Serial() const { return serial_; }

  // Textures. Pixels are A8R8G8B8 (bytes B, G, R, A) or A4R4G4B4 words.
  // samples (2..16) gives a render target a multisampled surface; 0 none.
  bool CreateTexture(GLTexture& out, int width, int height, bool renderTarget, int samples = 0);
  // A texture made holding its pixels from the start (bytes R, G, B, A, rows of `width`), so
  // its storage is written once instead of cleared and then filled.
  bool CreateTextureHolding(GLTexture& out, int width, int height, const void* rgba);
  // Copies what was drawn into a multisampled render target into its texture.
  void ResolveTexture(GLTexture& texture);
  void DestroyTexture(GLTexture& texture);
  bool UploadTexture(GLTexture& texture, int width, int height, const void* pixels, bool argb4444,
                     int rowPixels);
  RenderSurface SurfaceOf(GLTexture& texture);

  // Targets.
  RenderSurface BackBuffer() const { return backBuffer_; }
  RenderSurface GetRenderTarget() const { return target_; }
  void SetRenderTarget(const RenderSurface& requested);
  bool ResizeBackBuffer(int width, int height);
  // Rows top first, bytes B, G, R, A. The rectangle must lie inside the surface.
  bool ReadPixels(const RenderSurface& surface, int x, int y, int width, int height, void* out);
  void StretchRect(const RenderSurface& source, const int sourceRect[4], const RenderSurface& dest,
                   const int destRect[4], bool linear);
  void Present();
  void DrawableSize(int& width, int& height) const;

 private:
  CGLDevice() = default;
  bool Initialise(const DeviceConfig& config);
  bool BuildPrograms();
  void ApplyBlend();
  void ApplyCull();
  void ApplySampler();
  struct ProgramInfo;
  // Links a program of the set (full or lean) and finds its uniforms; false when it failed.
  bool BuildProgram(ProgramInfo& info, bool flat, bool lean, bool textured, bool alphaTest);
  // The program the current state draws with: a lean one for plain 2D drawing. Each program is
  // linked the first time a draw needs it.
  const ProgramInfo& ChooseProgram();
  bool AlphaTestDiscards() const;
  void UploadUniforms(const ProgramInfo& info);
  void BindVertexLayout(uint32_t stride, uintptr_t base);
  void DrawArrays(uint32_t glMode, const void* vertices, uint32_t count, uint32_t stride);
  // Puts the vertices where the next draw reads them and binds their layout.
  void StreamVertices(const void* vertices, uint32_t count, uint32_t stride);
  bool MakeTargetObjects(GLTexture& texture, bool withDepth);
  bool MakeMultisampleObjects(GLTexture& texture);
  void ResolveSurface(const RenderSurface& surface);
  // The part of the viewport inside the target, as a scissor rectangle.
  Viewport ClearRectangle() const;
  void ClearDepthNow(const Viewport& rect, float z, uint32_t stencil);
  void ApplyPendingDepthClear();

  SDL_Window* window_ = nullptr;
  uint64_t serial_ = 0;
  void* sdlContext_ = nullptr;
  void* eglDisplay_ = nullptr;
  void* eglContext_ = nullptr;
  bool depth24_ = true;

  // A program with the locations of its uniforms, found once.
  struct ProgramInfo {
    bool built = false;  // linked (or tried: id stays 0 when linking failed)
    uint32_t id = 0;
    std::array<int32_t, 23> uniforms{};
    std::array<std::array<int32_t, 8>, 8> lights{};
  };
  ProgramInfo programSmooth_;
  ProgramInfo programFlat_;
  ProgramInfo programLean_[2][2][2];  // [flat][textured][alpha test]
  uint32_t vao_ = 0;
  uint32_t vbo_ = 0;
  uint32_t quadIndices_ = 0;  // the index list of DrawQuadsUP, made at its first use
  static constexpr intptr_t kStreamBufferBytes = intptr_t{4} << 20;
  intptr_t streamOffset_ = kStreamBufferBytes;  // where the next draw's vertices go in vbo_
  uint32_t sampler_ = 0;

  uint32_t backColour_ = 0;
  uint32_t backDepth_ = 0;
  RenderSurface backBuffer_;
  RenderSurface target_;
  Viewport viewport_;
  // Nothing has been drawn into the target since it was bound, so its colour can be cleared
  // on the spot without waiting for drawing still to be done.
  bool targetUntouched_ = false;
  bool clearTexture_ = false;  // glClearTexSubImage is there
  // A depth clear of a target is held back while nothing tests depth: 2D frames never pay for
  // it. It is done before the first draw that tests depth in that target.
  struct PendingDepthClear {
    uint32_t fbo = 0;
    Viewport rect;
    float z = 1.0f;
    uint32_t stencil = 0;
  };
  std::vector<PendingDepthClear> pendingDepthClears_;
  void DropPendingDepthClear(uint32_t fbo);

  // Device state as Direct3D would hold it.
  std::array<uint32_t, d3d::kRenderStateCount> rs_{};
  std::array<uint32_t, d3d::kSamplerStateCount> sampler0_{};
  uint32_t colorOp_ = d3d::kTextureOpModulate;
  uint32_t colorArg1_ = d3d::kTextureArgTexture;
  uint32_t alphaOp_ = d3d::kTextureOpSelectArg1;
  uint32_t alphaArg1_ = d3d::kTextureArgTexture;
  const GLTexture* boundTexture_ = nullptr;
  uint32_t boundTextureName_ = 0;
  uint32_t fvf_ = 0;
  float world_[16], view_[16], projection_[16];
  d3d::Material material_;
  std::array<d3d::Light, 8> lights_{};
  std::array<bool, 8> lightOn_{};
  std::vector<uint8_t> scratch_;
};

}  // namespace gfx

#include "graphics/opengl/gl_device.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <tuple>
#include <vector>

#include <malloc.h>

#include "platform/console.h"

namespace gfx {
namespace {

// A software rasteriser allocates large blocks for each frame's scene and frees them when the
// frame is drawn. With the allocator's default, the freed top of the heap goes back to the
// system and comes back on the next frame as fresh pages, every one of them faulted in again:
// a scene of a thousand small 3D shapes then runs ten times slower. Freed memory is kept for
// reuse up to this much.
void KeepFreedHeapForTheRasteriser() {
  static const bool once = [] { return mallopt(M_TRIM_THRESHOLD, 512 << 20) == 1; }();
  (void)once;
}

}  // namespace

namespace {

const char* kVertexShader = R"(
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aUV;
uniform mat4 uWorld;
uniform mat4 uView;
uniform mat4 uProj;
uniform vec2 uPixel;
uniform bool uLighting;
uniform vec4 uAmbient;
uniform vec4 uMatAmbient;
uniform vec4 uMatEmissive;
uniform int uLightOn[8];
uniform int uLightType[8];
uniform vec3 uLightPos[8];
uniform vec3 uLightDir[8];
uniform vec4 uLightDiffuse[8];
uniform float uLightRange[8];
uniform float uLightAtt0[8];
uniform float uLightAtt1[8];
uniform bool uFogW;
COLOUR_QUALIFIER out vec4 vColor;
out vec2 vUV;
out float vFogDepth;
void main() {
  vec4 world = uWorld * vec4(aPos, 1.0);
  vec4 clip = uProj * (uView * world);
  vec4 colour = aColor;
  if (uLighting) {
    vec3 n = transpose(inverse(mat3(uWorld))) * aNormal;
    vec3 lit = uMatAmbient.rgb * uAmbient.rgb + uMatEmissive.rgb;
    for (int i = 0; i < 8; ++i) {
      if (uLightOn[i] == 0) continue;
      vec3 l;
      float attenuation = 1.0;
      if (uLightType[i] == 3) {
        // A directional light without a direction lights nothing.
        float span = length(uLightDir[i]);
        if (span == 0.0) continue;
        l = -uLightDir[i] / span;
      } else {
        vec3 d = uLightPos[i] - world.xyz;
        float distance = length(d);
        if (distance > uLightRange[i]) continue;
        l = d / max(distance, 1e-20);
        attenuation = 1.0 / max(uLightAtt0[i] + uLightAtt1[i] * distance, 1e-20);
      }
      lit += attenuation * colour.rgb * uLightDiffuse[i].rgb * max(dot(n, l), 0.0);
    }
    colour = vec4(clamp(lit, 0.0, 1.0), colour.a);
  }
  vColor = colour;
  vUV = aUV;
  vFogDepth = uFogW ? clip.w : clip.z / clip.w;
  // Pixel centres on integer coordinates: half a pixel right and down. Downward it is a
  // 128th of a pixel less, so that an edge lying exactly on a row of centres takes that
  // row when it is a top edge and leaves it when it is a bottom edge, as Direct3D's
  // top-left rule does (OpenGL's own tie rule runs the other way with the origin on top).
  clip.x += clip.w * uPixel.x;
  clip.y -= clip.w * uPixel.y * (1.0 - 1.0 / 64.0);
  gl_Position = clip;
  gl_PointSize = 1.0;
}
)";

const char* kFragmentShader = R"(
COLOUR_QUALIFIER in vec4 vColor;
in vec2 vUV;
in float vFogDepth;
uniform sampler2D uTex;
uniform bool uTexBound;
uniform int uColorOp;
uniform int uColorArg1;
uniform int uAlphaOp;
uniform int uAlphaArg1;
uniform bool uAlphaTest;
uniform int uAlphaFunc;
uniform float uAlphaRef;
uniform int uFogMode;
uniform vec4 uFogColor;
uniform float uFogStart;
uniform float uFogEnd;
uniform float uFogDensity;
out vec4 fragColor;
bool compare(int func, float a, float b) {
  if (func == 1) return false;
  if (func == 2) return a < b;
  if (func == 3) return a == b;
  if (func == 4) return a <= b;
  if (func == 5) return a > b;
  if (func == 6) return a != b;
  if (func == 7) return a >= b;
  return true;
}
void main() {
  vec4 c = vColor;
  if (uTexBound) {
    vec4 t = texture(uTex, vUV);
    vec3 rgb = (uColorOp == 2) ? ((uColorArg1 == 2) ? t.rgb : c.rgb) : t.rgb * c.rgb;
    float a = (uAlphaOp == 2) ? ((uAlphaArg1 == 2) ? t.a : c.a) : t.a * c.a;
    c = vec4(rgb, a);
  }
  if (uAlphaTest && !compare(uAlphaFunc, floor(c.a * 255.0 + 0.5), uAlphaRef)) discard;
  if (uFogMode != 0) {
    float f;
    if (uFogMode == 3) {
      f = (uFogEnd - vFogDepth) / (uFogEnd - uFogStart);
    } else if (uFogMode == 1) {
      f = exp(-uFogDensity * vFogDepth);
    } else {
      f = exp(-(uFogDensity * vFogDepth) * (uFogDensity * vFogDepth));
    }
    f = clamp(f, 0.0, 1.0);
    c.rgb = mix(uFogColor.rgb, c.rgb, f);
  }
  fragColor = c;
}
)";

// The lean programs for plain 2D drawing (no lighting, no fog, the texture, when there is
// one, modulated by the vertex colour, with or without the alpha test): the same position and colour arithmetic as
// the full pair, with none of the per-fragment choices the software rasteriser would pay for
// on every pixel.
const char* kLeanVertexShader = R"(
layout(location = 0) in vec3 aPos;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aUV;
uniform mat4 uWorld;
uniform mat4 uView;
uniform mat4 uProj;
uniform vec2 uPixel;
COLOUR_QUALIFIER out vec4 vColor;
out vec2 vUV;
void main() {
  vec4 world = uWorld * vec4(aPos, 1.0);
  vec4 clip = uProj * (uView * world);
  vColor = aColor;
  vUV = aUV;
  clip.x += clip.w * uPixel.x;
  clip.y -= clip.w * uPixel.y * (1.0 - 1.0 / 64.0);
  gl_Position = clip;
  gl_PointSize = 1.0;
}
)";

const char* kLeanFragmentShader = R"(
COLOUR_QUALIFIER in vec4 vColor;
in vec2 vUV;
out vec4 fragColor;
#ifdef TEXTURED
uniform sampler2D uTex;
#endif
#ifdef ALPHA_TEST
uniform int uAlphaFunc;
uniform float uAlphaRef;
bool compare(int func, float a, float b) {
  if (func == 1) return false;
  if (func == 2) return a < b;
  if (func == 3) return a == b;
  if (func == 4) return a <= b;
  if (func == 5) return a > b;
  if (func == 6) return a != b;
  if (func == 7) return a >= b;
  return true;
}
#endif
void main() {
#ifdef TEXTURED
  vec4 c = texture(uTex, vUV) * vColor;
#else
  vec4 c = vColor;
#endif
#ifdef ALPHA_TEST
  if (!compare(uAlphaFunc, floor(c.a * 255.0 + 0.5), uAlphaRef)) discard;
#endif
  fragColor = c;
}
)";

// Uniform slots of the programs, in the order of kUniformNames.
constexpr size_t kWorld = 0;
constexpr size_t kView = 1;
constexpr size_t kProj = 2;
constexpr size_t kPixel = 3;
constexpr size_t kLighting = 4;
constexpr size_t kAmbient = 5;
constexpr size_t kMatAmbient = 6;
constexpr size_t kMatEmissive = 7;
constexpr size_t kTex = 8;
constexpr size_t kTexBound = 9;
constexpr size_t kColorOp = 10;
constexpr size_t kColorArg1 = 11;
constexpr size_t kAlphaOp = 12;
constexpr size_t kAlphaArg1 = 13;
constexpr size_t kAlphaTest = 14;
constexpr size_t kAlphaFunc = 15;
constexpr size_t kAlphaRef = 16;
constexpr size_t kFogMode = 17;
constexpr size_t kFogColor = 18;
constexpr size_t kFogStart = 19;
constexpr size_t kFogEnd = 20;
constexpr size_t kFogDensity = 21;
constexpr size_t kFogW = 22;
constexpr const char* kUniformNames[] = {"uWorld", "uView", "uProj", "uPixel", "uLighting", "uAmbient", "uMatAmbient", "uMatEmissive", "uTex", "uTexBound", "uColorOp", "uColorArg1", "uAlphaOp", "uAlphaArg1", "uAlphaTest", "uAlphaFunc", "uAlphaRef", "uFogMode", "uFogColor", "uFogStart", "uFogEnd", "uFogDensity", "uFogW"};
constexpr const char* kLightUniformNames[] = {"uLightOn", "uLightType", "uLightPos", "uLightDir", "uLightDiffuse", "uLightRange", "uLightAtt0", "uLightAtt1"};

GLuint Compile(GLenum kind, const std::string& source) {
  GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    std::string log(4096, '\0');
    GLsizei length = 0;
    glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), &length, log.data());
    log.resize(static_cast<size_t>(length));
    g_DebugConsole->Output("Shader compile failed: %s\n", log.c_str());
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint Link(bool flat, const char* vertexShader = kVertexShader, const char* fragmentShader = kFragmentShader,
            const char* defines = "") {
  std::string header = "#version 330 core\n";
  header += flat ? "#define COLOUR_QUALIFIER flat\n" : "#define COLOUR_QUALIFIER smooth\n";
  header += defines;
  GLuint vs = Compile(GL_VERTEX_SHADER, header + vertexShader);
  GLuint fs = Compile(GL_FRAGMENT_SHADER, header + fragmentShader);
  if (vs == 0 || fs == 0) {
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

GLenum BlendFactor(uint32_t factor) {
  switch (factor) {
    case 1: return GL_ZERO;
    case 2: return GL_ONE;
    case 3: return GL_SRC_COLOR;
    case 4: return GL_ONE_MINUS_SRC_COLOR;
    case 5: return GL_SRC_ALPHA;
    case 6: return GL_ONE_MINUS_SRC_ALPHA;
    case 7: return GL_DST_ALPHA;
    case 8: return GL_ONE_MINUS_DST_ALPHA;
    case 9: return GL_DST_COLOR;
    case 10: return GL_ONE_MINUS_DST_COLOR;
    case 11: return GL_SRC_ALPHA_SATURATE;
    case 14: return GL_CONSTANT_COLOR;
    case 15: return GL_ONE_MINUS_CONSTANT_COLOR;
    // The dual-source factors have no second colour here: they act as the first source.
    case 16: return GL_SRC_COLOR;
    case 17: return GL_ONE_MINUS_SRC_COLOR;
    default: return GL_ZERO;
  }
}

GLenum CompareFunc(uint32_t func) {
  switch (func) {
    case 1: return GL_NEVER;
    case 2: return GL_LESS;
    case 3: return GL_EQUAL;
    case 4: return GL_LEQUAL;
    case 5: return GL_GREATER;
    case 6: return GL_NOTEQUAL;
    case 7: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

// Drops errors left by earlier calls, so that the next check sees only its own.
void ClearErrors() {
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

void Identity(float m[16]) {
  std::fill(m, m + 16, 0.0f);
  m[0] = m[5] = m[10] = m[15] = 1.0f;
}

d3d::ColorValue FromArgb(uint32_t argb) {
  return {static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
          static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>(argb >> 24) / 255.0f};
}

}  // namespace

std::unique_ptr<CGLDevice> CGLDevice::Create(const DeviceConfig& config) {
  static uint64_t devicesMade = 0;
  std::unique_ptr<CGLDevice> device(new CGLDevice());
  if (!device->Initialise(config)) return nullptr;
  device->serial_ = ++devicesMade;
  return device;
}

bool CGLDevice::Initialise(const DeviceConfig& config) {
  KeepFreedHeapForTheRasteriser();
  depth24_ = config.depth24;
  if (config.window != nullptr) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK,
                        config.compatibilityContext ? SDL_GL_CONTEXT_PROFILE_COMPATIBILITY
                                                    : SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GLContext context = SDL_GL_CreateContext(config.window);
    if (context == nullptr) return false;
    window_ = config.window;
    sdlContext_ = context;
    SDL_GL_MakeCurrent(window_, context);
  } else {
    EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) return false;
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) return false;
    eglDisplay_ = display;
    eglBindAPI(EGL_OPENGL_API);
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                       EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig eglConfig = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &eglConfig, 1, &count) || count < 1) return false;
    const EGLint core[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                           EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    const EGLint compatibility[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                    EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                    EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, eglConfig, EGL_NO_CONTEXT,
                                          config.compatibilityContext ? compatibility : core);
    if (context == EGL_NO_CONTEXT) return false;
    eglContext_ = context;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) return false;
  }

  // Direct3D's conventions: row 0 at the top and depth from 0 to 1. Without clip control
  // the picture would come out upside down, so such a context is refused.
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  bool clipControl = major > 4 || (major == 4 && minor >= 5);
  GLint extensions = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &extensions);
  for (GLint i = 0; i < extensions && !clipControl; ++i) {
    const GLubyte* name = glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i));
    clipControl = name != nullptr && std::strcmp(reinterpret_cast<const char*>(name), "GL_ARB_clip_control") == 0;
  }
  if (!clipControl) {
    g_DebugConsole->Output("OpenGL 4.5 or GL_ARB_clip_control is needed (have %d.%d)\n", major, minor);
    return false;
  }
  glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  clearTexture_ = major > 4 || (major == 4 && minor >= 4);
  for (GLint i = 0; i < extensions && !clearTexture_; ++i) {
    const GLubyte* name = glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i));
    clearTexture_ = name != nullptr && std::strcmp(reinterpret_cast<const char*>(name), "GL_ARB_clear_texture") == 0;
  }
  glEnable(GL_PROGRAM_POINT_SIZE);
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glBlendColor(1.0f, 1.0f, 1.0f, 1.0f);

  if (!BuildPrograms()) return false;
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glGenSamplers(1, &sampler_);
  glBindSampler(0, sampler_);

  if (!ResizeBackBuffer(config.width, config.height)) return false;

  // Direct3D's own defaults for everything the runner does not set itself.
  rs_.fill(0);
  rs_[static_cast<int>(d3d::RenderState::ZEnable)] = 1;
  rs_[static_cast<int>(d3d::RenderState::FillMode)] = d3d::kFillSolid;
  rs_[static_cast<int>(d3d::RenderState::ShadeMode)] = d3d::kShadeGouraud;
  rs_[static_cast<int>(d3d::RenderState::ZWriteEnable)] = 1;
  rs_[static_cast<int>(d3d::RenderState::LastPixel)] = 1;
  rs_[static_cast<int>(d3d::RenderState::SrcBlend)] = 2;
  rs_[static_cast<int>(d3d::RenderState::DestBlend)] = 1;
  rs_[static_cast<int>(d3d::RenderState::CullMode)] = d3d::kCullCounterClockwise;
  rs_[static_cast<int>(d3d::RenderState::ZFunc)] = d3d::kCmpLessEqual;
  rs_[static_cast<int>(d3d::RenderState::AlphaFunc)] = d3d::kCmpAlways;
  rs_[static_cast<int>(d3d::RenderState::FogDensity)] = std::bit_cast<uint32_t>(1.0f);
  rs_[static_cast<int>(d3d::RenderState::FogEnd)] = std::bit_cast<uint32_t>(1.0f);
  rs_[static_cast<int>(d3d::RenderState::Lighting)] = 1;
  rs_[static_cast<int>(d3d::RenderState::ColorWriteEnable)] = 15;
  sampler0_.fill(0);
  sampler0_[static_cast<int>(d3d::SamplerState::AddressU)] = d3d::kTextureAddressWrap;
  sampler0_[static_cast<int>(d3d::SamplerState::AddressV)] = d3d::kTextureAddressWrap;
  sampler0_[static_cast<int>(d3d::SamplerState::MagFilter)] = d3d::kTextureFilterPoint;
  sampler0_[static_cast<int>(d3d::SamplerState::MinFilter)] = d3d::kTextureFilterPoint;
  Identity(world_);
  Identity(view_);
  Identity(projection_);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  ApplyBlend();
  ApplyCull();
  ApplySampler();
  SetRenderTarget(backBuffer_);
  return true;
}

CGLDevice::~CGLDevice() {
  if (sdlContext_ != nullptr || eglContext_ != nullptr) {
    if (programSmooth_.id) glDeleteProgram(programSmooth_.id);
    if (programFlat_.id) glDeleteProgram(programFlat_.id);
    for (auto& byShade : programLean_) {
      for (auto& byTexture : byShade) {
        for (ProgramInfo& lean : byTexture) {
          if (lean.id) glDeleteProgram(lean.id);
        }
      }
    }
    if (vbo_) glDeleteBuffers(1, &vbo_);
    if (quadIndices_) glDeleteBuffers(1, &quadIndices_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
    if (sampler_) glDeleteSamplers(1, &sampler_);
    if (backBuffer_.fbo) glDeleteFramebuffers(1, &backBuffer_.fbo);
    if (backColour_) glDeleteTextures(1, &backColour_);
    if (backDepth_) glDeleteRenderbuffers(1, &backDepth_);
  }
  if (sdlContext_ != nullptr) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(sdlContext_));
  if (eglDisplay_ != nullptr) {
    eglMakeCurrent(eglDisplay_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (eglContext_ != nullptr) eglDestroyContext(eglDisplay_, eglContext_);
    // The display is left initialised: terminating it unloads the driver, and a later
    // device of the same process gets the same display back.
  }
}

bool CGLDevice::BuildPrograms() {
  static_assert(std::tuple_size_v<decltype(ProgramInfo::uniforms)> == std::size(kUniformNames));
  static_assert(std::tuple_size_v<decltype(ProgramInfo::lights)> == std::size(kLightUniformNames));
  // The other programs are linked when a draw first needs one; this one proves now that the
  // driver compiles the set.
  return BuildProgram(programLean_[0][0][0], false, true, false, false);
}

bool CGLDevice::BuildProgram(ProgramInfo& info, bool flat, bool lean, bool textured, bool alphaTest) {
  info.built = true;
  if (lean) {
    const std::string defines = std::string(textured ? "#define TEXTURED\n" : "") +
                                (alphaTest ? "#define ALPHA_TEST\n" : "");
    info.id = Link(flat, kLeanVertexShader, kLeanFragmentShader, defines.c_str());
  } else {
    info.id = Link(flat);
  }
  // Uniforms a program lacks get location -1, which OpenGL ignores on upload.
  for (size_t i = 0; i < info.uniforms.size(); ++i) info.uniforms[i] = glGetUniformLocation(info.id, kUniformNames[i]);
  for (size_t n = 0; n < info.lights.size(); ++n) {
    for (size_t i = 0; i < 8; ++i) {
      std::string name = std::string(kLightUniformNames[n]) + "[" + std::to_string(i) + "]";
      info.lights[n][i] = glGetUniformLocation(info.id, name.c_str());
    }
  }
  return info.id != 0;
}

const CGLDevice::ProgramInfo& CGLDevice::ChooseProgram() {
  auto state = [this](d3d::RenderState s) { return rs_[static_cast<int>(s)]; };
  const bool flat = state(d3d::RenderState::ShadeMode) == d3d::kShadeFlat;
  const bool textured = boundTextureName_ != 0;
  // A lean program tests alpha only when the test can discard: a shader that may discard
  // costs the rasteriser more for every pixel.
  const bool alphaTest = AlphaTestDiscards();
  const bool lean = state(d3d::RenderState::Lighting) == 0 && state(d3d::RenderState::FogEnable) == 0 &&
                    (!textured || (colorOp_ != d3d::kTextureOpSelectArg1 && alphaOp_ != d3d::kTextureOpSelectArg1));
  ProgramInfo& chosen = lean ? programLean_[flat][textured][alphaTest] : flat ? programFlat_ : programSmooth_;
  if (!chosen.built) BuildProgram(chosen, flat, lean, textured, alphaTest);
  return chosen;
}

std::string CGLDevice::RendererName() const {
  const GLubyte* name = glGetString(GL_RENDERER);
  return name ? reinterpret_cast<const char*>(name) : "";
}

int CGLDevice::MaxSamples() const {
  GLint samples = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &samples);
  return samples;
}

void CGLDevice::SetSwapInterval(int interval) {
  if (window_ != nullptr) SDL_GL_SetSwapInterval(interval);
}

bool CGLDevice::ResizeBackBuffer(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  bool current = target_ == backBuffer_;
  if (backBuffer_.fbo == 0) glGenFramebuffers(1, &backBuffer_.fbo);
  if (backColour_ == 0) glGenTextures(1, &backColour_);
  if (backDepth_ == 0) glGenRenderbuffers(1, &backDepth_);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, backColour_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, boundTextureName_);
  glBindRenderbuffer(GL_RENDERBUFFER, backDepth_);
  glRenderbufferStorage(GL_RENDERBUFFER, depth24_ ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT16, width, height);
  glBindFramebuffer(GL_FRAMEBUFFER, backBuffer_.fbo);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, backColour_, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, depth24_ ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                            GL_RENDERBUFFER, backDepth_);
  bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  backBuffer_.width = width;
  backBuffer_.height = height;
  backBuffer_.colour = backColour_;
  DropPendingDepthClear(backBuffer_.fbo);
  if (current || target_.fbo == 0) {
    SetRenderTarget(backBuffer_);
  } else {
    glBindFramebuffer(GL_FRAMEBUFFER, target_.fbo);
  }
  return complete;
}

void CGLDevice::SetRenderTarget(const RenderSurface& requested) {
  // A saved back buffer may be older than the last resize.
  RenderSurface surface = requested.fbo == backBuffer_.fbo ? backBuffer_ : requested;
  target_ = surface;
  targetUntouched_ = true;
  glBindFramebuffer(GL_FRAMEBUFFER, surface.fbo);
  // Direct3D resets the viewport to the whole new target.
  SetViewport({0, 0, surface.width, surface.height, 0.0f, 1.0f});
}

void CGLDevice::SetViewport(const Viewport& viewport) {
  viewport_ = viewport;
  glViewport(viewport.x, viewport.y, std::max(viewport.width, 0), std::max(viewport.height, 0));
  glDepthRange(viewport.minZ, viewport.maxZ);
}

void CGLDevice::SetRenderState(d3d::RenderState state, uint32_t value) {
  auto index = static_cast<uint32_t>(state);
  if (index >= static_cast<uint32_t>(d3d::kRenderStateCount)) return;
  rs_[index] = value;
  switch (state) {
    case d3d::RenderState::ZEnable:
      if (value) glEnable(GL_DEPTH_TEST); else glDisable(GL_DEPTH_TEST);
      break;
    case d3d::RenderState::FillMode:
      glPolygonMode(GL_FRONT_AND_BACK, value == d3d::kFillPoint ? GL_POINT
                                       : value == d3d::kFillWireframe ? GL_LINE : GL_FILL);
      break;
    case d3d::RenderState::ZWriteEnable:
      glDepthMask(value ? GL_TRUE : GL_FALSE);
      break;
    case d3d::RenderState::SrcBlend:
    case d3d::RenderState::DestBlend:
    case d3d::RenderState::AlphaBlendEnable:
    case d3d::RenderState::SeparateAlphaBlendEnable:
      ApplyBlend();
      break;
    case d3d::RenderState::CullMode:
      ApplyCull();
      break;
    case d3d::RenderState::ZFunc:
      glDepthFunc(CompareFunc(value));
      break;
    case d3d::RenderState::ColorWriteEnable:
      glColorMask((value & 1) != 0, (value & 2) != 0, (value & 4) != 0, (value & 8) != 0);
      break;
    default:
      break;  // read from rs_ when drawing
  }
}

void CGLDevice::ApplyBlend() {
  if (rs_[static_cast<int>(d3d::RenderState::AlphaBlendEnable)] == 0) {
    glDisable(GL_BLEND);
    return;
  }
  glEnable(GL_BLEND);
  uint32_t source = rs_[static_cast<int>(d3d::RenderState::SrcBlend)];
  uint32_t dest = rs_[static_cast<int>(d3d::RenderState::DestBlend)];
  GLenum src = BlendFactor(source);
  GLenum dst = BlendFactor(dest);
  if (source == static_cast<uint32_t>(d3d::Blend::BothSrcAlpha)) {
    src = GL_SRC_ALPHA;
    dst = GL_ONE_MINUS_SRC_ALPHA;
  } else if (source == static_cast<uint32_t>(d3d::Blend::BothInvSrcAlpha)) {
    src = GL_ONE_MINUS_SRC_ALPHA;
    dst = GL_SRC_ALPHA;
  }
  glBlendEquation(GL_FUNC_ADD);
  // The separate alpha factors are never set, so they stay one and zero: the
  // destination takes the source's alpha.
  if (rs_[static_cast<int>(d3d::RenderState::SeparateAlphaBlendEnable)] != 0) {
    glBlendFuncSeparate(src, dst, GL_ONE, GL_ZERO);
  } else {
    glBlendFunc(src, dst);
  }
}

void CGLDevice::ApplyCull() {
  uint32_t mode = rs_[static_cast<int>(d3d::RenderState::CullMode)];
  if (mode == d3d::kCullClockwise || mode == d3d::kCullCounterClockwise) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    // Direct3D culls the winding it is given, as seen on screen; the front faces are
    // the other one.
    glFrontFace(mode == d3d::kCullClockwise ? GL_CCW : GL_CW);
  } else {
    glDisable(GL_CULL_FACE);
  }
}

void CGLDevice::SetSamplerState(int stage, d3d::SamplerState state, uint32_t value) {
  if (stage != 0) return;  // only stage 0 is ever sampled
  auto index = static_cast<uint32_t>(state);
  if (index >= static_cast<uint32_t>(d3d::kSamplerStateCount)) return;
  sampler0_[index] = value;
  ApplySampler();
}

void CGLDevice::ApplySampler() {
  auto address = [](uint32_t value) { return value == d3d::kTextureAddressClamp ? GL_CLAMP_TO_EDGE : GL_REPEAT; };
  auto filter = [](uint32_t value) { return value == d3d::kTextureFilterLinear ? GL_LINEAR : GL_NEAREST; };
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, address(sampler0_[static_cast<int>(d3d::SamplerState::AddressU)]));
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, address(sampler0_[static_cast<int>(d3d::SamplerState::AddressV)]));
  glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER,
                      filter(sampler0_[static_cast<int>(d3d::SamplerState::MagFilter)]));
  glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER,
                      filter(sampler0_[static_cast<int>(d3d::SamplerState::MinFilter)]));
}

void CGLDevice::SetTextureStageState(int stage, d3d::TextureStageState state, uint32_t value) {
  if (stage != 0) return;
  switch (state) {
    case d3d::TextureStageState::ColorOp: colorOp_ = value; break;
    case d3d::TextureStageState::ColorArg1: colorArg1_ = value; break;
    case d3d::TextureStageState::AlphaOp: alphaOp_ = value; break;
    case d3d::TextureStageState::AlphaArg1: alphaArg1_ = value; break;
    default: break;  // the second arguments are always the diffuse colour
  }
}

bool CGLDevice::AlphaTestDiscards() const {
  if (rs_[static_cast<int>(d3d::RenderState::AlphaTestEnable)] == 0) return false;
  // A test that every alpha from 0 to 255 passes discards nothing.
  const uint32_t reference = rs_[static_cast<int>(d3d::RenderState::AlphaRef)] & 0xFF;
  const uint32_t function = rs_[static_cast<int>(d3d::RenderState::AlphaFunc)];
  const bool everyAlphaPasses = function < d3d::kCmpNever || function > d3d::kCmpGreaterEqual ||
                                (function == d3d::kCmpGreaterEqual && reference == 0) ||
                                (function == d3d::kCmpLessEqual && reference == 255);
  return !everyAlphaPasses;
}

bool CGLDevice::DrawsTexelsUnchanged() const {
  auto state = [this](d3d::RenderState s) { return rs_[static_cast<int>(s)]; };
  // Selecting the first argument takes the texel only when that argument is the texture;
  // every other operation modulates by the (white) vertex colour.
  auto texelKept = [](uint32_t op, uint32_t arg1) {
    return op != d3d::kTextureOpSelectArg1 || arg1 == d3d::kTextureArgTexture;
  };
  return state(d3d::RenderState::AlphaBlendEnable) == 0 && !AlphaTestDiscards() &&
         state(d3d::RenderState::ZEnable) == 0 && state(d3d::RenderState::Lighting) == 0 &&
         state(d3d::RenderState::FogEnable) == 0 && state(d3d::RenderState::ColorWriteEnable) == 15 &&
         state(d3d::RenderState::FillMode) == d3d::kFillSolid && texelKept(colorOp_, colorArg1_) &&
         texelKept(alphaOp_, alphaArg1_);
}

void CGLDevice::SetTransform(d3d::TransformType type, const float matrix[16]) {
  float* destination = type == d3d::TransformType::View ? view_
                       : type == d3d::TransformType::Projection ? projection_ : world_;
  std::memcpy(destination, matrix, sizeof(float) * 16);
}

void CGLDevice::SetMaterial(const d3d::Material& material) { material_ = material; }

void CGLDevice::SetLight(int index, const d3d::Light& light) {
  if (index >= 0 && index < 8) lights_[static_cast<size_t>(index)] = light;
}

void CGLDevice::LightEnable(int index, bool enable) {
  if (index >= 0 && index < 8) lightOn_[static_cast<size_t>(index)] = enable;
}

void CGLDevice::SetTexture(int stage, const GLTexture* texture) {
  if (stage != 0) return;
  boundTexture_ = texture;
  uint32_t name = texture ? texture->texture : 0;
  if (name != boundTextureName_) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name);
    boundTextureName_ = name;
  }
}

Viewport CGLDevice::ClearRectangle() const {
  const int left = std::max(viewport_.x, 0), top = std::max(viewport_.y, 0);
  const int right = std::min(viewport_.x + std::max(viewport_.width, 0), target_.width);
  const int bottom = std::min(viewport_.y + std::max(viewport_.height, 0), target_.height);
  return {left, top, std::max(right - left, 0), std::max(bottom - top, 0), 0.0f, 1.0f};
}

void CGLDevice::ClearDepthNow(const Viewport& rect, float z, uint32_t stencil) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(rect.x, rect.y, rect.width, rect.height);
  glDepthMask(GL_TRUE);
  glClearDepth(z);
  glClearStencil(static_cast<GLint>(stencil));
  glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glDepthMask(rs_[static_cast<int>(d3d::RenderState::ZWriteEnable)] ? GL_TRUE : GL_FALSE);
  targetUntouched_ = false;
}

void CGLDevice::DropPendingDepthClear(uint32_t fbo) {
  std::erase_if(pendingDepthClears_, [fbo](const PendingDepthClear& clear) { return clear.fbo == fbo; });
}

void CGLDevice::ApplyPendingDepthClear() {
  if (rs_[static_cast<int>(d3d::RenderState::ZEnable)] == 0 || pendingDepthClears_.empty()) return;
  for (auto it = pendingDepthClears_.begin(); it != pendingDepthClears_.end(); ++it) {
    if (it->fbo != target_.fbo) continue;
    const PendingDepthClear clear = *it;
    pendingDepthClears_.erase(it);
    ClearDepthNow(clear.rect, clear.z, clear.stencil);
    return;
  }
}

void CGLDevice::Clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) {
  const bool colour = (flags & d3d::kClearTarget) != 0;
  const bool depth = (flags & (d3d::kClearZBuffer | d3d::kClearStencil)) != 0;
  if (!colour && !depth) return;
  // Direct3D clears the viewport's rectangle only, whatever the write masks say. Depth and
  // stencil are always cleared together: the targets hold them in one buffer.
  const Viewport rect = ClearRectangle();
  if (rect.width == 0 || rect.height == 0) return;
  bool colourDone = false;
  if (colour && clearTexture_ && targetUntouched_ && target_.colour != 0) {
    // Nothing waits to be drawn into the target: its texture is filled at once, and a frame
    // that only clears its target costs the rasteriser no pass over it.
    const uint32_t texel = argb;
    glClearTexSubImage(target_.colour, 0, rect.x, rect.y, 0, rect.width, rect.height, 1, GL_BGRA,
                       GL_UNSIGNED_BYTE, &texel);
    colourDone = true;
  }
  if (depth) {
    if (rs_[static_cast<int>(d3d::RenderState::ZEnable)] != 0) {
      ClearDepthNow(rect, z, stencil);
    } else {
      // A held-back clear inside the new one is replaced by it; any other is done first.
      for (auto it = pendingDepthClears_.begin(); it != pendingDepthClears_.end(); ++it) {
        if (it->fbo != target_.fbo) continue;
        const Viewport& held = it->rect;
        const bool inside = held.x >= rect.x && held.y >= rect.y && held.x + held.width <= rect.x + rect.width &&
                            held.y + held.height <= rect.y + rect.height;
        const PendingDepthClear earlier = *it;
        pendingDepthClears_.erase(it);
        if (!inside) ClearDepthNow(earlier.rect, earlier.z, earlier.stencil);
        break;
      }
      pendingDepthClears_.push_back({target_.fbo, rect, z, stencil});
    }
  }
  if (!colour || colourDone) return;
  d3d::ColorValue value = FromArgb(argb);
  glEnable(GL_SCISSOR_TEST);
  glScissor(rect.x, rect.y, rect.width, rect.height);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(value.r, value.g, value.b, value.a);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  uint32_t write = rs_[static_cast<int>(d3d::RenderState::ColorWriteEnable)];
  glColorMask((write & 1) != 0, (write & 2) != 0, (write & 4) != 0, (write & 8) != 0);
  targetUntouched_ = false;
}

void CGLDevice::UploadUniforms(const ProgramInfo& info) {
  const auto& u = info.uniforms;
  auto state = [this](d3d::RenderState s) { return rs_[static_cast<int>(s)]; };
  glUniformMatrix4fv(u[kWorld], 1, GL_FALSE, world_);
  glUniformMatrix4fv(u[kView], 1, GL_FALSE, view_);
  glUniformMatrix4fv(u[kProj], 1, GL_FALSE, projection_);
  glUniform2f(u[kPixel], viewport_.width > 0 ? 1.0f / static_cast<float>(viewport_.width) : 0.0f,
              viewport_.height > 0 ? 1.0f / static_cast<float>(viewport_.height) : 0.0f);
  bool lighting = state(d3d::RenderState::Lighting) != 0;
  glUniform1i(u[kLighting], lighting ? 1 : 0);
  if (lighting) {
    d3d::ColorValue ambient = FromArgb(state(d3d::RenderState::Ambient));
    glUniform4f(u[kAmbient], ambient.r, ambient.g, ambient.b, ambient.a);
    glUniform4f(u[kMatAmbient], material_.ambient.r, material_.ambient.g, material_.ambient.b,
                material_.ambient.a);
    glUniform4f(u[kMatEmissive], material_.emissive.r, material_.emissive.g, material_.emissive.b,
                material_.emissive.a);
    for (int i = 0; i < 8; ++i) {
      const d3d::Light& light = lights_[static_cast<size_t>(i)];
      glUniform1i(info.lights[0][static_cast<size_t>(i)], lightOn_[static_cast<size_t>(i)] ? 1 : 0);
      glUniform1i(info.lights[1][static_cast<size_t>(i)], static_cast<int>(light.type));
      glUniform3fv(info.lights[2][static_cast<size_t>(i)], 1, light.position);
      glUniform3fv(info.lights[3][static_cast<size_t>(i)], 1, light.direction);
      glUniform4f(info.lights[4][static_cast<size_t>(i)], light.diffuse.r, light.diffuse.g, light.diffuse.b,
                  light.diffuse.a);
      glUniform1f(info.lights[5][static_cast<size_t>(i)], light.range);
      glUniform1f(info.lights[6][static_cast<size_t>(i)], light.attenuation0);
      glUniform1f(info.lights[7][static_cast<size_t>(i)], light.attenuation1);
    }
  }
  glUniform1i(u[kTex], 0);
  glUniform1i(u[kTexBound], boundTextureName_ != 0 ? 1 : 0);
  glUniform1i(u[kColorOp], static_cast<GLint>(colorOp_));
  glUniform1i(u[kColorArg1], static_cast<GLint>(colorArg1_));
  glUniform1i(u[kAlphaOp], static_cast<GLint>(alphaOp_));
  glUniform1i(u[kAlphaArg1], static_cast<GLint>(alphaArg1_));
  glUniform1i(u[kAlphaTest], state(d3d::RenderState::AlphaTestEnable) != 0 ? 1 : 0);
  glUniform1i(u[kAlphaFunc], static_cast<GLint>(state(d3d::RenderState::AlphaFunc)));
  glUniform1f(u[kAlphaRef], static_cast<float>(state(d3d::RenderState::AlphaRef) & 0xFF));
  int fogMode = 0;
  if (state(d3d::RenderState::FogEnable) != 0) {
    uint32_t table = state(d3d::RenderState::FogTableMode);
    fogMode = static_cast<int>(table != 0 ? table : state(d3d::RenderState::FogVertexMode));
  }
  glUniform1i(u[kFogMode], fogMode);
  if (fogMode != 0) {
    d3d::ColorValue fog = FromArgb(state(d3d::RenderState::FogColor));
    glUniform4f(u[kFogColor], fog.r, fog.g, fog.b, 1.0f);
    glUniform1f(u[kFogStart], std::bit_cast<float>(state(d3d::RenderState::FogStart)));
    glUniform1f(u[kFogEnd], std::bit_cast<float>(state(d3d::RenderState::FogEnd)));
    glUniform1f(u[kFogDensity], std::bit_cast<float>(state(d3d::RenderState::FogDensity)));
    // Eye-depth fog for a perspective projection, device depth otherwise.
    glUniform1i(u[kFogW], projection_[11] != 0.0f ? 1 : 0);
  }
}

void CGLDevice::BindVertexLayout(uint32_t stride, uintptr_t base) {
  uint32_t fvf = fvf_;
  uintptr_t offset = base;
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), reinterpret_cast<void*>(offset));
  glEnableVertexAttribArray(0);
  offset += 12;
  if (fvf & d3d::kFvfNormal) {
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), reinterpret_cast<void*>(offset));
    glEnableVertexAttribArray(1);
    offset += 12;
  } else {
    glDisableVertexAttribArray(1);
    glVertexAttrib3f(1, 0.0f, 0.0f, 0.0f);
  }
  if (fvf & d3d::kFvfDiffuse) {
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, static_cast<GLsizei>(stride),
                          reinterpret_cast<void*>(offset));
    glEnableVertexAttribArray(2);
    offset += 4;
  } else {
    glDisableVertexAttribArray(2);
    glVertexAttrib4f(2, 1.0f, 1.0f, 1.0f, 1.0f);
  }
  if (fvf & d3d::kFvfTex1) {
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(stride), reinterpret_cast<void*>(offset));
    glEnableVertexAttribArray(3);
  } else {
    glDisableVertexAttribArray(3);
    glVertexAttrib2f(3, 0.0f, 0.0f);
  }
}

// The vertices of successive draws go one after another into one stream buffer, written
// through an unsynchronised mapping: a range a pending draw reads is never written again.
// When the buffer is full its storage is renewed (the driver keeps the old one for the draws
// that read it) and writing starts again at its start. Renewing the storage for every draw
// instead makes the driver allocate and fault in fresh memory each time, which a scene of
// many small 3D shapes pays for many times over.
void CGLDevice::StreamVertices(const void* vertices, uint32_t count, uint32_t stride) {
  // Every draw streams its vertices first: a held-back depth clear is done before it, and
  // the target is no longer untouched.
  ApplyPendingDepthClear();
  targetUntouched_ = false;
  const auto bytes = static_cast<GLsizeiptr>(count) * stride;
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  if (bytes > kStreamBufferBytes) {
    glBufferData(GL_ARRAY_BUFFER, bytes, vertices, GL_STREAM_DRAW);
    streamOffset_ = kStreamBufferBytes;  // the next draw renews the stream's storage
    BindVertexLayout(stride, 0);
    return;
  }
  if (streamOffset_ + bytes > kStreamBufferBytes) {
    glBufferData(GL_ARRAY_BUFFER, kStreamBufferBytes, nullptr, GL_STREAM_DRAW);
    streamOffset_ = 0;
  }
  void* target = glMapBufferRange(GL_ARRAY_BUFFER, streamOffset_, bytes,
                                  GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
  if (target == nullptr) {
    glBufferData(GL_ARRAY_BUFFER, bytes, vertices, GL_STREAM_DRAW);
    streamOffset_ = kStreamBufferBytes;
    BindVertexLayout(stride, 0);
  } else {
    std::memcpy(target, vertices, static_cast<size_t>(bytes));
    glUnmapBuffer(GL_ARRAY_BUFFER);
    BindVertexLayout(stride, static_cast<uintptr_t>(streamOffset_));
    streamOffset_ += (bytes + 15) & ~GLsizeiptr{15};
  }
}

void CGLDevice::DrawArrays(uint32_t glMode, const void* vertices, uint32_t count, uint32_t stride) {
  StreamVertices(vertices, count, stride);
  glDrawArrays(glMode, 0, static_cast<GLsizei>(count));
}

void CGLDevice::DrawQuadsUP(uint32_t quadCount, const void* vertices, uint32_t stride) {
  if (quadCount == 0 || quadCount > kMostIndexedQuads || vertices == nullptr) return;
  const ProgramInfo& program = ChooseProgram();
  glUseProgram(program.id);
  UploadUniforms(program);
  if (quadIndices_ == 0) {
    std::vector<uint16_t> indices;
    indices.reserve(static_cast<size_t>(kMostIndexedQuads) * 6);
    for (uint32_t corner = 0; corner < kMostIndexedQuads * 4; corner += 4) {
      for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) indices.push_back(static_cast<uint16_t>(corner + i));
    }
    glGenBuffers(1, &quadIndices_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)), indices.data(),
                 GL_STATIC_DRAW);
  }
  StreamVertices(vertices, quadCount * 4, stride);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices_);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(quadCount * 6), GL_UNSIGNED_SHORT, nullptr);
}

namespace {

// The OpenGL mode and vertex count of primitiveCount Direct3D primitives.
void PrimitiveMode(d3d::PrimitiveType type, uint32_t primitiveCount, GLenum& mode, uint32_t& count) {
  switch (type) {
    case d3d::PrimitiveType::PointList: mode = GL_POINTS; count = primitiveCount; return;
    case d3d::PrimitiveType::LineList: mode = GL_LINES; count = primitiveCount * 2; return;
    case d3d::PrimitiveType::LineStrip: mode = GL_LINE_STRIP; count = primitiveCount + 1; return;
    case d3d::PrimitiveType::TriangleList: mode = GL_TRIANGLES; count = primitiveCount * 3; return;
    case d3d::PrimitiveType::TriangleStrip: mode = GL_TRIANGLE_STRIP; count = primitiveCount + 2; return;
    case d3d::PrimitiveType::TriangleFan: mode = GL_TRIANGLE_FAN; count = primitiveCount + 2; return;
  }
  mode = GL_TRIANGLES;
  count = 0;
}

}  // namespace

void CGLDevice::DrawPrimitiveUP(d3d::PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                uint32_t stride) {
  if (primitiveCount == 0 || vertices == nullptr) return;
  const ProgramInfo& program = ChooseProgram();
  glUseProgram(program.id);
  UploadUniforms(program);
  uint32_t count = 0;
  GLenum mode = GL_TRIANGLES;
  PrimitiveMode(type, primitiveCount, mode, count);
  DrawArrays(mode, vertices, count, stride);
  bool lines = type == d3d::PrimitiveType::LineList || type == d3d::PrimitiveType::LineStrip;
  if (lines && rs_[static_cast<int>(d3d::RenderState::LastPixel)] != 0) {
    // OpenGL leaves out the last pixel of a line; Direct3D draws it with LASTPIXEL on.
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    scratch_.clear();
    if (type == d3d::PrimitiveType::LineList) {
      for (uint32_t i = 1; i < count; i += 2) scratch_.insert(scratch_.end(), bytes + i * stride, bytes + (i + 1) * stride);
    } else {
      scratch_.insert(scratch_.end(), bytes + (count - 1) * stride, bytes + count * stride);
    }
    DrawArrays(GL_POINTS, scratch_.data(), static_cast<uint32_t>(scratch_.size() / stride), stride);
  }
}

uint32_t CGLDevice::CreateVertexBuffer(const void* vertices, uint32_t bytes) {
  if (vertices == nullptr || bytes == 0) return 0;
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), vertices, GL_STATIC_DRAW);
  return buffer;
}

void CGLDevice::DestroyVertexBuffer(uint32_t buffer) {
  if (buffer != 0) glDeleteBuffers(1, &buffer);
}

void CGLDevice::DrawPrimitive(d3d::PrimitiveType type, uint32_t buffer, uint32_t primitiveCount, uint32_t stride) {
  if (primitiveCount == 0 || buffer == 0) return;
  GLenum mode = GL_TRIANGLES;
  uint32_t count = 0;
  PrimitiveMode(type, primitiveCount, mode, count);
  ApplyPendingDepthClear();
  targetUntouched_ = false;
  const ProgramInfo& program = ChooseProgram();
  glUseProgram(program.id);
  UploadUniforms(program);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  BindVertexLayout(stride, 0);
  glDrawArrays(mode, 0, static_cast<GLsizei>(count));
}

bool CGLDevice::MakeTargetObjects(GLTexture& texture, bool withDepth) {
  if (texture.fbo == 0) glGenFramebuffers(1, &texture.fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, texture.fbo);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.texture, 0);
  if (withDepth && texture.depth == 0) {
    glGenRenderbuffers(1, &texture.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, texture.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, depth24_ ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT16, texture.width,
                          texture.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, depth24_ ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                              GL_RENDERBUFFER, texture.depth);
  }
  bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, target_.fbo);
  return complete;
}

bool CGLDevice::MakeMultisampleObjects(GLTexture& texture) {
  GLenum depthFormat = depth24_ ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT16;
  glGenFramebuffers(1, &texture.msFbo);
  glGenRenderbuffers(1, &texture.msColour);
  glGenRenderbuffers(1, &texture.depth);
  glBindRenderbuffer(GL_RENDERBUFFER, texture.msColour);
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, texture.samples, GL_RGBA8, texture.width, texture.height);
  glBindRenderbuffer(GL_RENDERBUFFER, texture.depth);
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, texture.samples, depthFormat, texture.width, texture.height);
  glBindFramebuffer(GL_FRAMEBUFFER, texture.msFbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, texture.msColour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, depth24_ ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                            GL_RENDERBUFFER, texture.depth);
  bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, target_.fbo);
  return complete;
}

namespace {

// Names a width x height texture for `out` holding the pixels given in `format` (cleared
// storage for none); false when the size is refused or the device reports an error. Unit 0
// is bound back to `bound`.
bool MakeTextureStorage(GLTexture& out, int width, int height, GLenum format, const void* pixels, GLuint bound) {
  out = {};
  if (width < 1 || height < 1) return false;
  GLint maximum = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maximum);
  if (width > maximum || height > maximum) return false;
  ClearErrors();
  glGenTextures(1, &out.texture);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, out.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
  glBindTexture(GL_TEXTURE_2D, bound);
  out.width = width;
  out.height = height;
  return glGetError() == GL_NO_ERROR;
}

}  // namespace

bool CGLDevice::CreateTexture(GLTexture& out, int width, int height, bool renderTarget, int samples) {
  const bool made = MakeTextureStorage(out, width, height, GL_BGRA, nullptr, boundTextureName_);
  out.renderTarget = renderTarget;
  if (!made) {
    if (out.texture != 0) DestroyTexture(out);
    return false;
  }
  bool multisampled = renderTarget && samples > 1 && samples <= MaxSamples();
  out.samples = multisampled ? samples : 0;
  if (renderTarget && !MakeTargetObjects(out, !multisampled)) {
    DestroyTexture(out);
    return false;
  }
  if (multisampled && !MakeMultisampleObjects(out)) {
    DestroyTexture(out);
    return false;
  }
  return true;
}

bool CGLDevice::CreateTextureHolding(GLTexture& out, int width, int height, const void* rgba) {
  if (rgba != nullptr && MakeTextureStorage(out, width, height, GL_RGBA, rgba, boundTextureName_)) return true;
  if (out.texture != 0) DestroyTexture(out);
  return false;
}

void CGLDevice::ResolveTexture(GLTexture& texture) {
  if (texture.msFbo == 0 || texture.fbo == 0) return;
  ResolveSurface({texture.msFbo, texture.width, texture.height, texture.fbo});
}

void CGLDevice::ResolveSurface(const RenderSurface& surface) {
  if (surface.resolveFbo == 0) return;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, surface.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, surface.resolveFbo);
  glBlitFramebuffer(0, 0, surface.width, surface.height, 0, 0, surface.width, surface.height, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, target_.fbo);
}

void CGLDevice::DestroyTexture(GLTexture& texture) {
  if (boundTexture_ == &texture) boundTexture_ = nullptr;
  if (texture.texture != 0 && texture.texture == boundTextureName_) {
    glBindTexture(GL_TEXTURE_2D, 0);
    boundTextureName_ = 0;
  }
  if ((texture.fbo != 0 && texture.fbo == target_.fbo) || (texture.msFbo != 0 && texture.msFbo == target_.fbo))
    SetRenderTarget(backBuffer_);
  DropPendingDepthClear(texture.fbo);
  DropPendingDepthClear(texture.msFbo);
  if (texture.msFbo) glDeleteFramebuffers(1, &texture.msFbo);
  if (texture.msColour) glDeleteRenderbuffers(1, &texture.msColour);
  if (texture.fbo) glDeleteFramebuffers(1, &texture.fbo);
  if (texture.depth) glDeleteRenderbuffers(1, &texture.depth);
  if (texture.texture) glDeleteTextures(1, &texture.texture);
  texture = {};
}

bool CGLDevice::UploadTexture(GLTexture& texture, int width, int height, const void* pixels, bool argb4444,
                              int rowPixels) {
  if (texture.texture == 0 || pixels == nullptr) return false;
  width = std::min(width, texture.width);
  height = std::min(height, texture.height);
  if (width < 1 || height < 1) return true;
  ClearErrors();
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture.texture);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowPixels);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA,
                  argb4444 ? GL_UNSIGNED_SHORT_4_4_4_4_REV : GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glBindTexture(GL_TEXTURE_2D, boundTextureName_);
  return glGetError() == GL_NO_ERROR;
}

RenderSurface CGLDevice::SurfaceOf(GLTexture& texture) {
  if (texture.texture == 0) return {};
  if (texture.fbo == 0 && !MakeTargetObjects(texture, false)) return {};
  if (texture.msFbo != 0) return {texture.msFbo, texture.width, texture.height, texture.fbo};
  return {texture.fbo, texture.width, texture.height, 0, texture.texture};
}

bool CGLDevice::ReadPixels(const RenderSurface& surface, int x, int y, int width, int height, void* out) {
  if (surface.fbo == 0 || width < 1 || height < 1 || x < 0 || y < 0 || x + width > surface.width ||
      y + height > surface.height)
    return false;
  ClearErrors();
  ResolveSurface(surface);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, surface.resolveFbo != 0 ? surface.resolveFbo : surface.fbo);
  glReadPixels(x, y, width, height, GL_BGRA, GL_UNSIGNED_BYTE, out);
  glBindFramebuffer(GL_FRAMEBUFFER, target_.fbo);
  return glGetError() == GL_NO_ERROR;
}

void CGLDevice::StretchRect(const RenderSurface& source, const int sourceRect[4], const RenderSurface& dest,
                            const int destRect[4], bool linear) {
  if (source.fbo == 0 || dest.fbo == 0) return;
  // A multisampled source is resolved first; a multisampled destination takes the copy
  // into its texture.
  ResolveSurface(source);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source.resolveFbo != 0 ? source.resolveFbo : source.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, dest.resolveFbo != 0 ? dest.resolveFbo : dest.fbo);
  glBlitFramebuffer(sourceRect[0], sourceRect[1], sourceRect[2], sourceRect[3], destRect[0], destRect[1],
                    destRect[2], destRect[3], GL_COLOR_BUFFER_BIT, linear ? GL_LINEAR : GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, target_.fbo);
  if (dest.fbo == target_.fbo || dest.resolveFbo == target_.fbo) targetUntouched_ = false;
}

void CGLDevice::DrawableSize(int& width, int& height) const {
  width = backBuffer_.width;
  height = backBuffer_.height;
  if (window_ != nullptr) SDL_GL_GetDrawableSize(window_, &width, &height);
}

void CGLDevice::Present() {
  if (window_ == nullptr) return;
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(window_, &width, &height);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer_.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // The window's framebuffer has its origin at the bottom: flip while copying.
  glBlitFramebuffer(0, 0, backBuffer_.width, backBuffer_.height, 0, height, width, 0, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
  SDL_GL_SwapWindow(window_);
  glBindFramebuffer(GL_FRAMEBUFFER, target_.fbo);
}

}  // namespace gfx

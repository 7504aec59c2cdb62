#include "functions/graphics_functions.h"

#include <cmath>
#include <string>
#include <string_view>

#include "data/background.h"
#include "data/paths.h"
#include "data/room_settings.h"
#include "data/sprite.h"
#include "functions/argument_helpers.h"
#include "functions/display_functions.h"
#include "functions/surface_functions.h"
#include "functions/text_functions.h"
#include "functions/tile_functions.h"
#include "graphics/device.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware_texture.h"
#include "graphics/primitives.h"
#include "graphics/textured_quads.h"
#include "platform/bitmap32.h"
#include "platform/colour.h"
#include "platform/conversions.h"
#include "platform/load_save.h"
#include "runner/instance.h"
#include "runner/run_globals.h"
#include "runner/window.h"
#include "script/builtin_variables.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

// ---- argument conversions ----------------------------------------------------------------

float F32(const ScriptValue* args, int i) { return Arg_Single(args[i]); }
// Narrowed to single precision, then rounded half to even.
int32_t RoundedSingle(const ScriptValue* args, int i) {
  return Conv_RoundToInt32(static_cast<double>(Arg_Single(args[i])));
}
uint32_t ColourSingle(const ScriptValue* args, int i) { return static_cast<uint32_t>(RoundedSingle(args, i)); }
// Rounded from the double itself.
uint32_t ColourRounded(const ScriptValue* args, int i) { return static_cast<uint32_t>(Arg_Rounded(args[i])); }
bool Flag(const ScriptValue* args, int i) { return Arg_FlagSingle(args[i]); }

void RoomSize(float& width, float& height) {
  const auto& hook = Variable_BuiltIn_World().currentRoom;
  if (RoomSettings* room = hook ? hook() : nullptr) {
    width = static_cast<float>(room->width);
    height = static_cast<float>(room->height);
    return;
  }
  width = static_cast<float>(GR_Window_Get_Width());
  height = static_cast<float>(GR_Window_Get_Height());
}

int32_t FloorSingle(float value) { return Conv_TruncToInt32(std::floor(static_cast<double>(value))); }

// The sprite and frame of a draw_sprite* call; null (after the report) when the sprite does
// not exist. A negative frame takes the calling instance's image_index.
const CSprite* Draw_Resolve_Sprite(CInstance* self, const ScriptValue* args, int32_t& frame) {
  frame = FloorSingle(Arg_Single(args[1]));
  if (frame < 0) frame = self != nullptr ? FloorSingle(self->image_index) : 0;
  const int32_t index = Arg_Truncated(args[0]);
  if (!Sprite_Exists(index)) {
    Error_Show_Action("Trying to draw non-existing sprite.", false);
    return nullptr;
  }
  return Sprite_Data(index);
}

const CBackground* ResolveBackground(const ScriptValue* args) {
  const int32_t index = Arg_Rounded(args[0]);
  if (!Background_Exists(index)) {
    Error_Show_Action("Trying to draw non-existing background.", false);
    return nullptr;
  }
  return Background_Data(index);
}

bool EndsWithPng(std::string_view name) {
  if (name.size() < 4) return false;
  std::string tail(name.substr(name.size() - 4));
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".png";
}

void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  PutU16(out, at, v & 0xFFFFu);
  PutU16(out, at + 2, v >> 16);
}

}  // namespace

// ---- screen_save ---------------------------------------------------------------------------

std::vector<uint8_t> GR_Make_BMP_Image(const uint32_t* pixels, int width, int height) {
  if (pixels == nullptr || width < 1 || height < 1) return {};
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  const size_t imageSize = stride * static_cast<size_t>(height);
  std::vector<uint8_t> out(54 + imageSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out, 2, static_cast<uint32_t>(out.size()));
  PutU32(out, 10, 54);
  PutU32(out, 14, 40);
  PutU32(out, 18, static_cast<uint32_t>(width));
  PutU32(out, 22, static_cast<uint32_t>(height));
  PutU16(out, 26, 1);
  PutU16(out, 28, 24);
  PutU32(out, 34, static_cast<uint32_t>(imageSize));
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width);
    uint8_t* dst = out.data() + 54 + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      dst[x * 3 + 0] = static_cast<uint8_t>(row[x]);
      dst[x * 3 + 1] = static_cast<uint8_t>(row[x] >> 8);
      dst[x * 3 + 2] = static_cast<uint8_t>(row[x] >> 16);
    }
  }
  return out;
}

bool Graphics_SaveScreenRect(const char* fileName, int x, int y, int width, int height) {
  if (width < 1 || height < 1) return false;
  std::vector<uint32_t> pixels;
  int w = width, h = height;
  if (Graphics_InFrame()) {
    // Inside a frame the picture so far is in the screen texture.
    const GraphicsSizes& sizes = Graphics_Sizes();
    w = std::min(width, sizes.screenWidth - x);
    h = std::min(height, sizes.screenHeight - y);
    if (w < 1 || h < 1) return false;
    pixels = Graphics_GrabSurfaceRect(Graphics_ScreenTexture(), x, y, w, h);
  } else {
    const GraphicsSizes& sizes = Graphics_Sizes();
    w = std::min({width, sizes.backBufferWidth - x});
    h = std::min({height, sizes.backBufferHeight - y});
    if (w < 1 || h < 1) return false;
    pixels = Graphics_GrabScreenRect(sizes.backBufferWidth, sizes.backBufferHeight, x, y, w, h);
  }
  if (pixels.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) return false;
  if (EndsWithPng(fileName)) {
    CBitmap32 image(w, h);
    if (!image.IsValid()) return false;
    std::copy(pixels.begin(), pixels.end(), image.GetData().begin());
    for (uint32_t& p : image.GetData()) p |= 0xFF000000u;
    const std::string path = LoadSave_SavePath(fileName);
    return !path.empty() && image.write_png_file(path);
  }
  const std::vector<uint8_t> bmp = GR_Make_BMP_Image(pixels.data(), w, h);
  return LoadSave_WriteFile(fileName, bmp.data(), bmp.size());
}

void F_ScreenSave(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (!Arg_HasText(args[0])) {
    Error_Show_Action("Trying to save screen to empty image file name.", false);
    return;
  }
  Graphics_SaveScreenRect(Arg_CString(args[0]), 0, 0, GR_Window_Get_Width(), GR_Window_Get_Height());
}

void F_ScreenSavePart(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (!Arg_HasText(args[0])) {
    Error_Show_Action("Trying to save screen to empty image file name.", false);
    return;
  }
  int x = Arg_Rounded(args[1]), y = Arg_Rounded(args[2]);
  int64_t w = Arg_Rounded(args[3]), h = Arg_Rounded(args[4]);
  if (x < 0) {
    w += x;
    x = 0;
  }
  if (y < 0) {
    h += y;
    y = 0;
  }
  w = std::min<int64_t>(w, int64_t{GR_Window_Get_Width()} - x);
  h = std::min<int64_t>(h, int64_t{GR_Window_Get_Height()} - y);
  if (w < 1 || h < 1) return;
  Graphics_SaveScreenRect(Arg_CString(args[0]), x, y, static_cast<int>(w), static_cast<int>(h));
}

// ---- colour, alpha, clearing ---------------------------------------------------------------

void F_DrawSetColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Draw_Set_Color(ColourRounded(args, 0));
}
void F_DrawSetAlpha(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) { GR_Draw_Set_Alpha(F32(args, 0)); }
void F_DrawGetColor(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(GR_Draw_Get_Color() & 0xFFFFFFu);
}
void F_DrawGetAlpha(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(GR_Draw_Get_Alpha());
}
void F_MakeColor(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const uint32_t r = static_cast<uint32_t>(Arg_Truncated(args[0]));
  const uint32_t g = static_cast<uint32_t>(Arg_Truncated(args[1]));
  const uint32_t b = static_cast<uint32_t>(Arg_Truncated(args[2]));
  result.SetReal(static_cast<int32_t>(r + g * 256u + b * 65536u));
}
void F_MakeColorHsv(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  HSVRecord hsv;
  hsv.hue = static_cast<uint8_t>(Arg_Rounded(args[0]));
  hsv.saturation = static_cast<uint8_t>(Arg_Rounded(args[1]));
  hsv.value = static_cast<uint8_t>(Arg_Rounded(args[2]));
  result.SetReal(static_cast<double>(Colour_FromHSV(hsv)));
}
// The components by integer division and remainder: a negative colour gives negative parts.
void F_ColorGetRed(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Arg_Rounded(args[0]) % 256);
}
void F_ColorGetGreen(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal((Arg_Rounded(args[0]) / 256) % 256);
}
void F_ColorGetBlue(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal((Arg_Rounded(args[0]) / 65536) % 256);
}
void F_ColorGetHue(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Colour_ToHSV(static_cast<uint32_t>(Arg_Rounded(args[0]))).hue);
}
void F_ColorGetSaturation(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Colour_ToHSV(static_cast<uint32_t>(Arg_Rounded(args[0]))).saturation);
}
void F_ColorGetValue(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Colour_ToHSV(static_cast<uint32_t>(Arg_Rounded(args[0]))).value);
}
// The screen's pixel under a room position of the view being drawn, in the screen's byte order.
void F_DrawGetpixel(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  int x = 0, y = 0;
  GR_Window_Room_To_Window(Run_Globals.viewCurrent, F32(args, 0), F32(args, 1), x, y);
  result.SetReal(static_cast<double>(GR_Draw_Get_Pixel(x, y)));
}
void F_MergeColor(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Color_Merge(ColourSingle(args, 0), ColourSingle(args, 1), F32(args, 2)));
}
void F_DrawSetBlendMode(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Blend_Mode(RoundedSingle(args, 0));
}
void F_DrawSetBlendModeExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Blend_Mode_Ext(ColourSingle(args, 0), ColourSingle(args, 1));
}
void F_DrawClear(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Draw_Clear(ColourSingle(args, 0) | 0xFF000000u);
}
void F_DrawClearAlpha(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Draw_Clear_Alpha(ColourSingle(args, 0), F32(args, 1));
}

// ---- shapes ----------------------------------------------------------------------------------

void F_DrawPoint(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) { GR_Draw_Point(F32(a, 0), F32(a, 1)); }
void F_DrawPointColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Point_Color(F32(a, 0), F32(a, 1), ColourSingle(a, 2));
}
void F_DrawLine(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Line(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3));
}
void F_DrawLineColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Line_Color(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), ColourSingle(a, 4), ColourSingle(a, 5));
}
void F_DrawLineWidth(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Line_Width(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4));
}
void F_DrawLineWidthColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Line_Width_Color(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), ColourSingle(a, 5),
                           ColourSingle(a, 6));
}
void F_DrawRectangle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Rectangle(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), Flag(a, 4));
}
void F_DrawRectangleColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Rectangle_Color(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), ColourSingle(a, 4), ColourSingle(a, 5),
                          ColourSingle(a, 6), ColourSingle(a, 7), Flag(a, 8));
}
void F_DrawRoundrect(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Roundrect(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), 10.0f, 10.0f, Flag(a, 4));
}
void F_DrawRoundrectColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Roundrect_Color(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), 10.0f, 10.0f, ColourSingle(a, 4),
                          ColourSingle(a, 5), Flag(a, 6));
}
void F_DrawTriangle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Triangle(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), Flag(a, 6));
}
void F_DrawTriangleColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Triangle_Color(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), ColourSingle(a, 6),
                         ColourSingle(a, 7), ColourSingle(a, 8), Flag(a, 9));
}
void F_DrawCircle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Circle(F32(a, 0), F32(a, 1), F32(a, 2), Flag(a, 3));
}
void F_DrawCircleColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Circle_Color(F32(a, 0), F32(a, 1), F32(a, 2), ColourSingle(a, 3), ColourSingle(a, 4), Flag(a, 5));
}
void F_DrawEllipse(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Ellipse(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), Flag(a, 4));
}
void F_DrawEllipseColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Ellipse_Color(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), ColourSingle(a, 4), ColourSingle(a, 5),
                        Flag(a, 6));
}
void F_DrawArrow(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Arrow(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4));
}
void F_DrawButton(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Button(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), Flag(a, 4));
}
void F_DrawHealthbar(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const uint32_t minColour = ColourSingle(a, 6);
  const uint32_t maxColour = ColourSingle(a, 7);
  GR_Draw_Healthbar(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), ColourSingle(a, 5), minColour,
                    GR_Color_Merge(minColour, maxColour, 0.5f), maxColour, RoundedSingle(a, 8), Flag(a, 9),
                    Flag(a, 10));
}
void F_DrawSetCirclePrecision(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Set_Circle_Precision(RoundedSingle(a, 0));
}
void F_DrawPath(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (!Path_Exists(Arg_Rounded(a[0]))) {
    Error_Show_Action("Trying to drawn non-existing path.", false);
    return;
  }
  const CPath* path = Path_Data(RoundedSingle(a, 0));
  if (path == nullptr) return;
  if (Flag(a, 3)) {
    path->Draw(0.0f, 0.0f, true);
  } else {
    path->Draw(F32(a, 1), F32(a, 2), false);
  }
}

namespace {
// A path is drawn as one line strip in the drawing colour.
void DrawPathStrip(const std::vector<PathPosition>& vertices) {
  GR_Draw_Primitive_Begin(kPrimLineStrip, -1);
  for (const PathPosition& p : vertices) GR_Draw_Vertex(static_cast<float>(p.x), static_cast<float>(p.y));
  GR_Draw_Primitive_End();
}
}  // namespace

// ---- primitives ------------------------------------------------------------------------------

void F_DrawPrimitiveBegin(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Primitive_Begin(RoundedSingle(a, 0), -1);
}
void F_DrawPrimitiveBeginTexture(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Primitive_Begin(Arg_Rounded(a[0]), Arg_Rounded(a[1]));
}
void F_DrawVertex(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) { GR_Draw_Vertex(F32(a, 0), F32(a, 1)); }
void F_DrawVertexColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Vertex_Color(F32(a, 0), F32(a, 1), ColourSingle(a, 2), F32(a, 3));
}
void F_DrawVertexTexture(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Vertex_Texture(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3));
}
void F_DrawVertexTextureColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Draw_Vertex_Texture_Color(F32(a, 0), F32(a, 1), F32(a, 2), F32(a, 3), ColourSingle(a, 4), F32(a, 5));
}
void F_DrawPrimitiveEnd(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { GR_Draw_Primitive_End(); }

namespace {
int32_t TextureHandle(const ResourceTexture& texture, const TPageRecord* entry) {
  if (entry != nullptr) return GR_TPE_Handle(*entry);
  return texture.textureId;
}
}  // namespace

void F_SpriteGetTexture(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Sprite_Exists(index)) {
    Error_Show_Action("Trying to get texture from non-existing sprite.", false);
    return;
  }
  const CSprite* sprite = Sprite_Data(index);
  int32_t frame = RoundedSingle(a, 1);
  if (frame < 0) frame = self != nullptr ? FloorSingle(self->image_index) : 0;
  const ResourceTexture texture = sprite->GetTexture(frame);
  const TPageRecord* entry = nullptr;
  if (texture.pageEntry != 0) {
    for (const TPageRecord& e : sprite->PageEntries()) {
      if (e.offset == texture.pageEntry) entry = &e;
    }
  }
  result.SetReal(TextureHandle(texture, entry));
}

void F_BackgroundGetTexture(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Background_Exists(index)) {
    Error_Show_Action("Trying to get texture from non-existing background.", false);
    return;
  }
  const CBackground* background = Background_Data(index);
  const TPageRecord* entry = background->PageEntry().Exists() ? &background->PageEntry() : nullptr;
  result.SetReal(TextureHandle(background->GetTexture(), entry));
}

// ---- sprites ---------------------------------------------------------------------------------

void F_DrawSelf(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue*) {
  if (self == nullptr || !Sprite_Exists(self->sprite_index)) {
    Error_Show_Action("Trying to draw non-existing sprite.", false);
    return;
  }
  Sprite_Data(self->sprite_index)
      ->Draw(FloorSingle(self->image_index), self->x, self->y, self->image_xscale, self->image_yscale,
             self->image_angle, self->image_blend, self->image_alpha);
}

void F_DrawSprite(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  int32_t frame = 0;
  if (const CSprite* s = Draw_Resolve_Sprite(self, a, frame)) s->DrawSimple(frame, F32(a, 2), F32(a, 3));
}

void F_DrawSpriteExt(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  int32_t frame = 0;
  if (const CSprite* s = Draw_Resolve_Sprite(self, a, frame)) {
    s->Draw(frame, F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), ColourRounded(a, 7), F32(a, 8));
  }
}

void F_DrawSpritePos(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t index = Arg_Truncated(a[0]);
  const int32_t frame = Arg_Truncated(a[1]);
  if (!Sprite_Exists(index)) {
    Error_Show_Action("Trying to draw non-existing sprite.", false);
    return;
  }
  Sprite_Data(index)->DrawPos(frame, F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), F32(a, 7), F32(a, 8),
                              F32(a, 9), F32(a, 10));
}

void F_DrawSpritePart(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  int32_t frame = 0;
  if (const CSprite* s = Draw_Resolve_Sprite(self, a, frame)) {
    s->DrawPart(frame, F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), F32(a, 7), 1.0f, 1.0f, 0xFFFFFFu,
                GR_Draw_Get_Alpha());
  }
}

void F_DrawSpritePartExt(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  int32_t frame = 0;
  if (const CSprite* s = Draw_Resolve_Sprite(self, a, frame)) {
    s->DrawPart(frame, F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), F32(a, 7), F32(a, 8), F32(a, 9),
                ColourRounded(a, 10), F32(a, 11));
  }
}

void F_DrawSpriteGeneral(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  int32_t frame = 0;
  if (const CSprite* s = Draw_Resolve_Sprite(self, a, frame)) {
    s->DrawGeneral(frame, F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), F32(a, 7), F32(a, 8), F32(a, 9),
                   F32(a, 10), ColourRounded(a, 11), ColourRounded(a, 12), ColourRounded(a, 13),
                   ColourRounded(a, 14), F32(a, 15));
  }
}

void F_DrawSpriteStretched(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  int32_t frame = 0;
  if (const CSprite* s = Draw_Resolve_Sprite(self, a, frame)) {
    s->DrawStretched(frame, F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), 0xFFFFFFu, GR_Draw_Get_Alpha());
  }
}

void F_DrawSpriteStretchedExt(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  int32_t frame = 0;
  if (const CSprite* s = Draw_Resolve_Sprite(self, a, frame)) {
    s->DrawStretched(frame, F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), ColourRounded(a, 6), F32(a, 7));
  }
}

void F_DrawSpriteTiled(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  int32_t frame = 0;
  if (const CSprite* s = Draw_Resolve_Sprite(self, a, frame)) {
    float w = 0, h = 0;
    RoomSize(w, h);
    s->DrawTiled(frame, F32(a, 2), F32(a, 3), 1.0f, 1.0f, true, true, 0.0f, 0.0f, w, h, 0xFFFFFFu,
                 GR_Draw_Get_Alpha());
  }
}

void F_DrawSpriteTiledExt(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* a) {
  int32_t frame = 0;
  if (const CSprite* s = Draw_Resolve_Sprite(self, a, frame)) {
    float w = 0, h = 0;
    RoomSize(w, h);
    s->DrawTiled(frame, F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), true, true, 0.0f, 0.0f, w, h,
                 ColourRounded(a, 6), F32(a, 7));
  }
}

// ---- backgrounds -----------------------------------------------------------------------------

void F_DrawBackground(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const CBackground* b = ResolveBackground(a)) b->Draw(F32(a, 1), F32(a, 2));
}

void F_DrawBackgroundExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const CBackground* b = ResolveBackground(a)) {
    b->DrawExt(F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), ColourRounded(a, 6), F32(a, 7));
  }
}

void F_DrawBackgroundPart(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const CBackground* b = ResolveBackground(a)) {
    b->DrawPart(F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), 1.0f, 1.0f, 0xFFFFFFu,
                GR_Draw_Get_Alpha());
  }
}

void F_DrawBackgroundPartExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const CBackground* b = ResolveBackground(a)) {
    b->DrawPart(F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), F32(a, 7), F32(a, 8),
                ColourRounded(a, 9), F32(a, 10));
  }
}

void F_DrawBackgroundGeneral(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const CBackground* b = ResolveBackground(a)) {
    b->DrawGeneral(F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), F32(a, 7), F32(a, 8),
                   F32(a, 9), ColourRounded(a, 10), ColourRounded(a, 11), ColourRounded(a, 12), ColourRounded(a, 13),
                   F32(a, 14));
  }
}

void F_DrawBackgroundStretched(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const CBackground* b = ResolveBackground(a)) {
    b->DrawStretched(F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), 0xFFFFFFu, GR_Draw_Get_Alpha());
  }
}

void F_DrawBackgroundStretchedExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const CBackground* b = ResolveBackground(a)) {
    b->DrawStretched(F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), ColourRounded(a, 5), F32(a, 6));
  }
}

void F_DrawBackgroundTiled(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const CBackground* b = ResolveBackground(a)) {
    float w = 0, h = 0;
    RoomSize(w, h);
    b->DrawTiled(F32(a, 1), F32(a, 2), 1.0f, 1.0f, true, true, 0.0f, 0.0f, w, h, 0xFFFFFFu, GR_Draw_Get_Alpha());
  }
}

void F_DrawBackgroundTiledExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const CBackground* b = ResolveBackground(a)) {
    float w = 0, h = 0;
    RoomSize(w, h);
    b->DrawTiled(F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), true, true, 0.0f, 0.0f, w, h, ColourRounded(a, 5),
                 F32(a, 6));
  }
}

// ---- registration ----------------------------------------------------------------------------

void InitGraphicsFunctions() {
  // display_*, window_* and the screen savers.
  RegisterDisplayAndWindowFunctions();
  Function_Add("screen_save", F_ScreenSave, 1);
  Function_Add("screen_save_part", F_ScreenSavePart, 5);
  // Drawing state, shapes and primitives.
  Function_Add("draw_getpixel", F_DrawGetpixel, 2);
  Function_Add("draw_set_color", F_DrawSetColor, 1);
  Function_Add("draw_set_alpha", F_DrawSetAlpha, 1);
  Function_Add("draw_get_color", F_DrawGetColor, 0);
  Function_Add("draw_get_alpha", F_DrawGetAlpha, 0);
  Function_Add("make_color", F_MakeColor, 3);
  Function_Add("make_color_rgb", F_MakeColor, 3);
  Function_Add("make_color_hsv", F_MakeColorHsv, 3);
  Function_Add("color_get_red", F_ColorGetRed, 1);
  Function_Add("color_get_green", F_ColorGetGreen, 1);
  Function_Add("color_get_blue", F_ColorGetBlue, 1);
  Function_Add("color_get_hue", F_ColorGetHue, 1);
  Function_Add("color_get_saturation", F_ColorGetSaturation, 1);
  Function_Add("color_get_value", F_ColorGetValue, 1);
  Function_Add("merge_color", F_MergeColor, 3);
  Function_Add("draw_set_blend_mode", F_DrawSetBlendMode, 1);
  Function_Add("draw_set_blend_mode_ext", F_DrawSetBlendModeExt, 2);
  Function_Add("draw_clear", F_DrawClear, 1);
  Function_Add("draw_clear_alpha", F_DrawClearAlpha, 2);
  Function_Add("draw_point", F_DrawPoint, 2);
  Function_Add("draw_point_color", F_DrawPointColor, 3);
  Function_Add("draw_line", F_DrawLine, 4);
  Function_Add("draw_line_color", F_DrawLineColor, 6);
  Function_Add("draw_line_width", F_DrawLineWidth, 5);
  Function_Add("draw_line_width_color", F_DrawLineWidthColor, 7);
  Function_Add("draw_rectangle", F_DrawRectangle, 5);
  Function_Add("draw_rectangle_color", F_DrawRectangleColor, 9);
  Function_Add("draw_roundrect", F_DrawRoundrect, 5);
  Function_Add("draw_roundrect_color", F_DrawRoundrectColor, 7);
  Function_Add("draw_triangle", F_DrawTriangle, 7);
  Function_Add("draw_triangle_color", F_DrawTriangleColor, 10);
  Function_Add("draw_circle", F_DrawCircle, 4);
  Function_Add("draw_circle_color", F_DrawCircleColor, 6);
  Function_Add("draw_ellipse", F_DrawEllipse, 5);
  Function_Add("draw_ellipse_color", F_DrawEllipseColor, 7);
  Function_Add("draw_arrow", F_DrawArrow, 5);
  Function_Add("draw_button", F_DrawButton, 5);
  Function_Add("draw_healthbar", F_DrawHealthbar, 11);
  Function_Add("draw_set_circle_precision", F_DrawSetCirclePrecision, 1);
  Function_Add("draw_path", F_DrawPath, 4);
  Path_SetStripDrawer(DrawPathStrip);
  Function_Add("draw_primitive_begin", F_DrawPrimitiveBegin, 1);
  Function_Add("draw_primitive_begin_texture", F_DrawPrimitiveBeginTexture, 2);
  Function_Add("draw_vertex", F_DrawVertex, 2);
  Function_Add("draw_vertex_color", F_DrawVertexColor, 4);
  Function_Add("draw_vertex_texture", F_DrawVertexTexture, 4);
  Function_Add("draw_vertex_texture_color", F_DrawVertexTextureColor, 6);
  Function_Add("draw_primitive_end", F_DrawPrimitiveEnd, 0);
  Function_Add("sprite_get_texture", F_SpriteGetTexture, 2);
  Function_Add("background_get_texture", F_BackgroundGetTexture, 1);
  RegisterTextureAndTextFunctions();
  // Sprites and backgrounds.
  Function_Add("draw_self", F_DrawSelf, 0);
  Function_Add("draw_sprite", F_DrawSprite, 4);
  Function_Add("draw_sprite_ext", F_DrawSpriteExt, 9);
  Function_Add("draw_sprite_pos", F_DrawSpritePos, 11);
  Function_Add("draw_sprite_part", F_DrawSpritePart, 8);
  Function_Add("draw_sprite_part_ext", F_DrawSpritePartExt, 12);
  Function_Add("draw_sprite_general", F_DrawSpriteGeneral, 16);
  Function_Add("draw_sprite_stretched", F_DrawSpriteStretched, 6);
  Function_Add("draw_sprite_stretched_ext", F_DrawSpriteStretchedExt, 8);
  Function_Add("draw_sprite_tiled", F_DrawSpriteTiled, 4);
  Function_Add("draw_sprite_tiled_ext", F_DrawSpriteTiledExt, 8);
  Function_Add("draw_background", F_DrawBackground, 3);
  Function_Add("draw_background_ext", F_DrawBackgroundExt, 8);
  Function_Add("draw_background_part", F_DrawBackgroundPart, 7);
  Function_Add("draw_background_part_ext", F_DrawBackgroundPartExt, 11);
  Function_Add("draw_background_general", F_DrawBackgroundGeneral, 15);
  Function_Add("draw_background_stretched", F_DrawBackgroundStretched, 5);
  Function_Add("draw_background_stretched_ext", F_DrawBackgroundStretchedExt, 7);
  Function_Add("draw_background_tiled", F_DrawBackgroundTiled, 3);
  Function_Add("draw_background_tiled_ext", F_DrawBackgroundTiledExt, 7);
  // Tiles, then surfaces.
  RegisterTileFunctions();
  RegisterSurfaceFunctions();
}

#include "functions/surface_functions.h"

#include <cmath>
#include <string>

#include "data/room_settings.h"
#include "functions/argument_helpers.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware_texture.h"
#include "graphics/primitives.h"
#include "graphics/surfaces.h"
#include "graphics/texture_table.h"
#include "platform/bitmap32.h"
#include "platform/conversions.h"
#include "platform/load_save.h"
#include "runner/window.h"
#include "script/builtin_variables.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFu;

int32_t Id(const ScriptValue* a, int i) { return Arg_Rounded(a[i]); }
float F32(const ScriptValue* a, int i) { return Arg_Single(a[i]); }
uint32_t Colour(const ScriptValue* a, int i) { return static_cast<uint32_t>(Arg_Rounded(a[i])); }

void Missing() { Error_Show_Action("Trying to use non-existing surface.", false); }

// The surface id of argument i, or -1 after the report when it does not exist.
int32_t Existing(const ScriptValue* a, int i) {
  const int32_t id = Id(a, i);
  if (GR_Surface_Exists(id)) return id;
  Missing();
  return -1;
}

void RoomArea(float& width, float& height) {
  const auto& hook = Variable_BuiltIn_World().currentRoom;
  if (RoomSettings* room = hook ? hook() : nullptr) {
    width = static_cast<float>(room->width);
    height = static_cast<float>(room->height);
    return;
  }
  width = static_cast<float>(GR_Window_Get_Width());
  height = static_cast<float>(GR_Window_Get_Height());
}

// The rectangle of the surface as a PNG file of the save area (channels as the pixels
// hold them: red, green, blue, alpha).
void SaveRect(const ScriptValue* a, int32_t id, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (!Arg_HasText(a[1])) {
    Error_Show_Action("Trying to save surface to empty image file name.", false);
    return;
  }
  int32_t gw = 0, gh = 0;
  const std::vector<uint32_t> pixels = GR_Surface_Grab(id, x, y, w, h, gw, gh);
  if (pixels.empty()) return;
  CBitmap32 image(gw, gh);
  if (!image.IsValid()) return;
  std::copy(pixels.begin(), pixels.end(), image.GetData().begin());
  const std::string path = LoadSave_SavePath(Arg_CString(a[1]));
  if (!path.empty()) image.write_png_file(path);
}

void CopyRect(const ScriptValue* a, int32_t destination, int32_t source, int32_t xs, int32_t ys, int32_t ws,
              int32_t hs) {
  HardwareTexture* to = GR_Texture_Get(GR_Surface_Get_Texture(destination));
  HardwareTexture* from = GR_Texture_Get(GR_Surface_Get_Texture(source));
  if (to == nullptr || from == nullptr) return;
  Graphics_CopySurfaceRect(to, Arg_Rounded(a[1]), Arg_Rounded(a[2]), from, xs, ys, ws, hs);
}

}  // namespace

void F_SurfaceCreate(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  result.SetReal(GR_Surface_Create(Arg_Rounded(a[0]), Arg_Rounded(a[1])));
}

void F_SurfaceFree(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (const int32_t id = Existing(a, 0); id >= 0) GR_Surface_Free(id);
}

void F_SurfaceExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  result.SetReal(GR_Surface_Exists(Id(a, 0)) ? 1.0 : 0.0);
}

void F_SurfaceGetWidth(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  result.SetReal(GR_Surface_Get_Width(Id(a, 0)));
}

void F_SurfaceGetHeight(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  result.SetReal(GR_Surface_Get_Height(Id(a, 0)));
}

void F_SurfaceGetTexture(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  result.SetReal(GR_Surface_Get_Texture(Id(a, 0)));
}

void F_SurfaceSetTarget(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  result.SetReal(GR_Surface_Set_Target(Id(a, 0)) ? 1.0 : 0.0);
}

void F_SurfaceResetTarget(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(GR_Surface_Reset_Target() ? 1.0 : 0.0);
}

void F_DrawSurface(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  GR_Surface_Draw(id, std::floor(F32(a, 1)), std::floor(F32(a, 2)));
}

void F_DrawSurfaceExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  GR_Surface_Draw_Ext(id, F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), Colour(a, 6), F32(a, 7));
}

void F_DrawSurfaceStretched(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  GR_Surface_Draw_Stretched(id, F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), kWhite, GR_Draw_Get_Alpha());
}

void F_DrawSurfaceStretchedExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  GR_Surface_Draw_Stretched(id, F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), Colour(a, 5), F32(a, 6));
}

void F_DrawSurfacePart(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  GR_Surface_Draw_Part(id, F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), 1.0f, 1.0f, kWhite,
                       GR_Draw_Get_Alpha());
}

void F_DrawSurfacePartExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  GR_Surface_Draw_Part(id, F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), F32(a, 7), F32(a, 8),
                       Colour(a, 9), F32(a, 10));
}

void F_DrawSurfaceGeneral(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  GR_Surface_Draw_General(id, F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), F32(a, 5), F32(a, 6), F32(a, 7),
                          F32(a, 8), F32(a, 9), Colour(a, 10), Colour(a, 11), Colour(a, 12), Colour(a, 13),
                          F32(a, 14));
}

void F_DrawSurfaceTiled(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  float w = 0, h = 0;
  RoomArea(w, h);
  GR_Surface_Draw_Tiled(id, F32(a, 1), F32(a, 2), 1.0f, 1.0f, true, true, 0.0f, 0.0f, w, h, kWhite,
                        GR_Draw_Get_Alpha());
}

void F_DrawSurfaceTiledExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  float w = 0, h = 0;
  RoomArea(w, h);
  GR_Surface_Draw_Tiled(id, F32(a, 1), F32(a, 2), F32(a, 3), F32(a, 4), true, true, 0.0f, 0.0f, w, h, Colour(a, 5),
                        F32(a, 6));
}

void F_SurfaceSave(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  SaveRect(a, id, 0, 0, GR_Surface_Get_Width(id), GR_Surface_Get_Height(id));
}

void F_SurfaceSavePart(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  SaveRect(a, id, Arg_Rounded(a[2]), Arg_Rounded(a[3]), Arg_Rounded(a[4]), Arg_Rounded(a[5]));
}

void F_SurfaceGetpixel(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t id = Existing(a, 0);
  if (id < 0) return;
  result.SetReal(0.0);
  const int32_t x = Conv_RoundToInt32(static_cast<double>(F32(a, 1)));
  const int32_t y = Conv_RoundToInt32(static_cast<double>(F32(a, 2)));
  int32_t w = 0, h = 0;
  const std::vector<uint32_t> pixel = GR_Surface_Grab(id, x, y, 1, 1, w, h);
  if (pixel.size() != 1) return;
  const uint32_t argb = pixel[0];
  result.SetReal(static_cast<double>(((argb & 0xFFu) << 16) | (argb & 0xFF00u) | ((argb >> 16) & 0xFFu)));
}

void F_SurfaceCopy(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t destination = Id(a, 0), source = Id(a, 3);
  if (!GR_Surface_Exists(destination) || !GR_Surface_Exists(source)) {
    Missing();
    return;
  }
  CopyRect(a, destination, source, 0, 0, GR_Surface_Get_Width(source), GR_Surface_Get_Height(source));
}

void F_SurfaceCopyPart(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t destination = Id(a, 0), source = Id(a, 3);
  if (!GR_Surface_Exists(destination) || !GR_Surface_Exists(source)) {
    Missing();
    return;
  }
  CopyRect(a, destination, source, Arg_Rounded(a[4]), Arg_Rounded(a[5]), Arg_Rounded(a[6]), Arg_Rounded(a[7]));
}

void RegisterSurfaceFunctions() {
  Function_Add("surface_create", F_SurfaceCreate, 2);
  Function_Add("surface_free", F_SurfaceFree, 1);
  Function_Add("surface_exists", F_SurfaceExists, 1);
  Function_Add("surface_get_width", F_SurfaceGetWidth, 1);
  Function_Add("surface_get_height", F_SurfaceGetHeight, 1);
  Function_Add("surface_get_texture", F_SurfaceGetTexture, 1);
  Function_Add("surface_set_target", F_SurfaceSetTarget, 1);
  Function_Add("surface_reset_target", F_SurfaceResetTarget, 0);
  Function_Add("draw_surface", F_DrawSurface, 3);
  Function_Add("draw_surface_ext", F_DrawSurfaceExt, 8);
  Function_Add("draw_surface_stretched", F_DrawSurfaceStretched, 5);
  Function_Add("draw_surface_stretched_ext", F_DrawSurfaceStretchedExt, 7);
  Function_Add("draw_surface_part", F_DrawSurfacePart, 7);
  Function_Add("draw_surface_part_ext", F_DrawSurfacePartExt, 11);
  Function_Add("draw_surface_general", F_DrawSurfaceGeneral, 15);
  Function_Add("draw_surface_tiled", F_DrawSurfaceTiled, 3);
  Function_Add("draw_surface_tiled_ext", F_DrawSurfaceTiledExt, 7);
  Function_Add("surface_save", F_SurfaceSave, 2);
  Function_Add("surface_save_part", F_SurfaceSavePart, 6);
  Function_Add("surface_getpixel", F_SurfaceGetpixel, 3);
  Function_Add("surface_copy", F_SurfaceCopy, 4);
  Function_Add("surface_copy_part", F_SurfaceCopyPart, 8);
}

#include "functions/text_functions.h"

#include <charconv>

#include "functions/argument_helpers.h"
#include "graphics/graphics_state.h"
#include "graphics/text.h"
#include "graphics/texture_table.h"
#include "platform/conversions.h"
#include "script/function_table.h"

namespace {

float F32(const ScriptValue* args, int i) { return Arg_Single(args[i]); }
// Narrowed to single precision, then rounded half to even.
int32_t RoundedSingle(const ScriptValue* args, int i) {
  return Conv_RoundToInt32(static_cast<double>(Arg_Single(args[i])));
}
// The colours of the coloured draw_text built-ins are rounded from the double itself.
uint32_t Colour(const ScriptValue* args, int i) { return static_cast<uint32_t>(Arg_Rounded(args[i])); }

}  // namespace

std::string Value_To_Text(const ScriptValue& value) {
  if (value.IsString()) return std::string(Arg_String(value));
  const float single = Arg_Single(value);
  const int32_t whole = Conv_RoundToInt32(static_cast<double>(single));
  if (static_cast<double>(single) == static_cast<double>(whole)) return std::to_string(whole);
  char buffer[64];  // a float in fixed notation with two decimals needs at most 42
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(single), std::chars_format::fixed, 2);
  if (ec != std::errc()) return {};
  return std::string(buffer, end);
}

// ---- textures ----------------------------------------------------------------------------

void F_TextureExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Texture_Exists(RoundedSingle(args, 0)) ? 1.0 : 0.0);
}
void F_TextureGetWidth(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Texture_Get_Width(RoundedSingle(args, 0)));
}
void F_TextureGetHeight(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Texture_Get_Height(RoundedSingle(args, 0)));
}
void F_TextureSetInterpolation(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Texture_Set_Interpolation(Arg_FlagSingle(args[0]));
}
void F_TextureSetBlending(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Texture_Set_Blending(Arg_FlagSingle(args[0]));
}
void F_TextureSetRepeat(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Texture_Set_Repeat(Arg_FlagSingle(args[0]));
}
void F_TexturePreload(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Texture_Preload(RoundedSingle(args, 0));
}
void F_TextureSetPriority(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Texture_Set_Priority(RoundedSingle(args, 0), RoundedSingle(args, 1));
}

// ---- fonts and alignment -----------------------------------------------------------------

void F_DrawSetFont(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Set_Font(RoundedSingle(args, 0));
}
void F_DrawSetHalign(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Set_Halign(RoundedSingle(args, 0));
}
void F_DrawSetValign(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Set_Valign(RoundedSingle(args, 0));
}

// ---- measuring: a real argument carries no text and measures as no text --------------------

void F_StringWidth(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Text_Width(Arg_String(args[0]), -1, -1));
}
void F_StringHeight(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Text_Height(Arg_String(args[0]), -1, -1));
}
void F_StringWidthExt(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Text_Width(Arg_String(args[0]), RoundedSingle(args, 1), RoundedSingle(args, 2)));
}
void F_StringHeightExt(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Text_Height(Arg_String(args[0]), RoundedSingle(args, 1), RoundedSingle(args, 2)));
}

// ---- drawing -----------------------------------------------------------------------------

void F_DrawText(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Draw(F32(args, 0), F32(args, 1), Value_To_Text(args[2]), -1, -1);
}
void F_DrawTextExt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Draw(F32(args, 0), F32(args, 1), Value_To_Text(args[2]), RoundedSingle(args, 3), RoundedSingle(args, 4));
}
void F_DrawTextTransformed(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Draw_Transformed(F32(args, 0), F32(args, 1), Value_To_Text(args[2]), -1, -1, F32(args, 3), F32(args, 4),
                           F32(args, 5));
}
void F_DrawTextExtTransformed(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Draw_Transformed(F32(args, 0), F32(args, 1), Value_To_Text(args[2]), RoundedSingle(args, 3),
                           RoundedSingle(args, 4), F32(args, 5), F32(args, 6), F32(args, 7));
}
void F_DrawTextColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Draw_Color(F32(args, 0), F32(args, 1), Value_To_Text(args[2]), -1, -1, Colour(args, 3), Colour(args, 4),
                     Colour(args, 5), Colour(args, 6), F32(args, 7));
}
void F_DrawTextExtColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Draw_Color(F32(args, 0), F32(args, 1), Value_To_Text(args[2]), RoundedSingle(args, 3),
                     RoundedSingle(args, 4), Colour(args, 5), Colour(args, 6), Colour(args, 7), Colour(args, 8),
                     F32(args, 9));
}
void F_DrawTextTransformedColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Draw_Transformed_Color(F32(args, 0), F32(args, 1), Value_To_Text(args[2]), -1, -1, F32(args, 3),
                                 F32(args, 4), F32(args, 5), Colour(args, 6), Colour(args, 7), Colour(args, 8),
                                 Colour(args, 9), F32(args, 10));
}
void F_DrawTextExtTransformedColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  GR_Text_Draw_Transformed_Color(F32(args, 0), F32(args, 1), Value_To_Text(args[2]), RoundedSingle(args, 3),
                                 RoundedSingle(args, 4), F32(args, 5), F32(args, 6), F32(args, 7), Colour(args, 8),
                                 Colour(args, 9), Colour(args, 10), Colour(args, 11), F32(args, 12));
}

void RegisterTextureAndTextFunctions() {
  Function_Add("texture_exists", F_TextureExists, 1);
  Function_Add("texture_get_width", F_TextureGetWidth, 1);
  Function_Add("texture_get_height", F_TextureGetHeight, 1);
  Function_Add("texture_set_interpolation", F_TextureSetInterpolation, 1);
  Function_Add("texture_set_blending", F_TextureSetBlending, 1);
  Function_Add("texture_set_repeat", F_TextureSetRepeat, 1);
  Function_Add("texture_preload", F_TexturePreload, 1);
  Function_Add("texture_set_priority", F_TextureSetPriority, 2);
  Function_Add("draw_set_font", F_DrawSetFont, 1);
  Function_Add("draw_set_halign", F_DrawSetHalign, 1);
  Function_Add("draw_set_valign", F_DrawSetValign, 1);
  Function_Add("string_width", F_StringWidth, 1);
  Function_Add("string_height", F_StringHeight, 1);
  Function_Add("string_width_ext", F_StringWidthExt, 3);
  Function_Add("string_height_ext", F_StringHeightExt, 3);
  Function_Add("draw_text", F_DrawText, 3);
  Function_Add("draw_text_ext", F_DrawTextExt, 5);
  Function_Add("draw_text_transformed", F_DrawTextTransformed, 6);
  Function_Add("draw_text_ext_transformed", F_DrawTextExtTransformed, 8);
  Function_Add("draw_text_color", F_DrawTextColor, 8);
  Function_Add("draw_text_ext_color", F_DrawTextExtColor, 10);
  Function_Add("draw_text_transformed_color", F_DrawTextTransformedColor, 11);
  Function_Add("draw_text_ext_transformed_color", F_DrawTextExtTransformedColor, 13);
}

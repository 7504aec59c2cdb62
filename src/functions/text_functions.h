// The texture-setting, font and text built-ins of the drawing family: texture_*, draw_set_font,
// draw_set_halign/valign, string_width/height (and _ext) and the eight draw_text built-ins.
// InitGraphicsFunctions registers them in their place through RegisterTextureAndTextFunctions.
#pragma once

#include <string>

#include "script/builtin_function.h"

void RegisterTextureAndTextFunctions();

// The text draw_text shows for a value: a string as it is; a real narrowed to single
// precision, as a whole number when it is one, else with two decimals.
std::string Value_To_Text(const ScriptValue& value);

BuiltinSignature F_TextureExists;
BuiltinSignature F_TextureGetWidth;
BuiltinSignature F_TextureGetHeight;
BuiltinSignature F_TextureSetInterpolation;
BuiltinSignature F_TextureSetBlending;
BuiltinSignature F_TextureSetRepeat;
BuiltinSignature F_TexturePreload;
BuiltinSignature F_TextureSetPriority;

BuiltinSignature F_DrawSetFont;
BuiltinSignature F_DrawSetHalign;
BuiltinSignature F_DrawSetValign;
BuiltinSignature F_StringWidth;
BuiltinSignature F_StringHeight;
BuiltinSignature F_StringWidthExt;
BuiltinSignature F_StringHeightExt;
BuiltinSignature F_DrawText;
BuiltinSignature F_DrawTextExt;
BuiltinSignature F_DrawTextTransformed;
BuiltinSignature F_DrawTextExtTransformed;
BuiltinSignature F_DrawTextColor;
BuiltinSignature F_DrawTextExtColor;
BuiltinSignature F_DrawTextTransformedColor;
BuiltinSignature F_DrawTextExtTransformedColor;

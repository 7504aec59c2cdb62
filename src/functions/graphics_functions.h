// The graphics built-ins: screen_save and screen_save_part; the drawing colour and alpha,
// clearing, shapes and primitives; draw_self, draw_sprite* and draw_background*.
// InitGraphicsFunctions registers them in their fixed order.
#pragma once

#include <cstdint>
#include <vector>

#include "script/builtin_function.h"

void InitGraphicsFunctions();

// screen_save(_part): the current frame's pixels so far (or the last presented frame outside
// a frame) written to the named file of the save area: PNG when the name ends in ".png",
// else a 24-bit BMP.
bool Graphics_SaveScreenRect(const char* fileName, int x, int y, int width, int height);
// The 24-bit BMP image (bottom-up rows padded to 4 bytes) of 0xAARRGGBB pixels, top row first.
std::vector<uint8_t> GR_Make_BMP_Image(const uint32_t* pixels, int width, int height);

BuiltinSignature F_ScreenSave;
BuiltinSignature F_ScreenSavePart;

BuiltinSignature F_DrawSetColor;
BuiltinSignature F_DrawSetAlpha;
BuiltinSignature F_DrawGetColor;
BuiltinSignature F_DrawGetAlpha;
BuiltinSignature F_MakeColor;
BuiltinSignature F_MergeColor;
BuiltinSignature F_MakeColorHsv;
BuiltinSignature F_ColorGetRed;
BuiltinSignature F_ColorGetGreen;
BuiltinSignature F_ColorGetBlue;
BuiltinSignature F_ColorGetHue;
BuiltinSignature F_ColorGetSaturation;
BuiltinSignature F_ColorGetValue;
BuiltinSignature F_DrawGetpixel;
BuiltinSignature F_DrawSetBlendMode;
BuiltinSignature F_DrawSetBlendModeExt;
BuiltinSignature F_DrawClear;
BuiltinSignature F_DrawClearAlpha;
BuiltinSignature F_DrawPoint;
BuiltinSignature F_DrawPointColor;
BuiltinSignature F_DrawLine;
BuiltinSignature F_DrawLineColor;
BuiltinSignature F_DrawLineWidth;
BuiltinSignature F_DrawLineWidthColor;
BuiltinSignature F_DrawRectangle;
BuiltinSignature F_DrawRectangleColor;
BuiltinSignature F_DrawRoundrect;
BuiltinSignature F_DrawRoundrectColor;
BuiltinSignature F_DrawTriangle;
BuiltinSignature F_DrawTriangleColor;
BuiltinSignature F_DrawCircle;
BuiltinSignature F_DrawCircleColor;
BuiltinSignature F_DrawEllipse;
BuiltinSignature F_DrawEllipseColor;
BuiltinSignature F_DrawArrow;
BuiltinSignature F_DrawButton;
BuiltinSignature F_DrawHealthbar;
BuiltinSignature F_DrawSetCirclePrecision;
BuiltinSignature F_DrawPath;
BuiltinSignature F_DrawPrimitiveBegin;
BuiltinSignature F_DrawPrimitiveBeginTexture;
BuiltinSignature F_DrawVertex;
BuiltinSignature F_DrawVertexColor;
BuiltinSignature F_DrawVertexTexture;
BuiltinSignature F_DrawVertexTextureColor;
BuiltinSignature F_DrawPrimitiveEnd;
BuiltinSignature F_SpriteGetTexture;
BuiltinSignature F_BackgroundGetTexture;

BuiltinSignature F_DrawSelf;
BuiltinSignature F_DrawSprite;
BuiltinSignature F_DrawSpriteExt;
BuiltinSignature F_DrawSpritePos;
BuiltinSignature F_DrawSpritePart;
BuiltinSignature F_DrawSpritePartExt;
BuiltinSignature F_DrawSpriteGeneral;
BuiltinSignature F_DrawSpriteStretched;
BuiltinSignature F_DrawSpriteStretchedExt;
BuiltinSignature F_DrawSpriteTiled;
BuiltinSignature F_DrawSpriteTiledExt;
BuiltinSignature F_DrawBackground;
BuiltinSignature F_DrawBackgroundExt;
BuiltinSignature F_DrawBackgroundPart;
BuiltinSignature F_DrawBackgroundPartExt;
BuiltinSignature F_DrawBackgroundGeneral;
BuiltinSignature F_DrawBackgroundStretched;
BuiltinSignature F_DrawBackgroundStretchedExt;
BuiltinSignature F_DrawBackgroundTiled;
BuiltinSignature F_DrawBackgroundTiledExt;

// The drawing actions: every coordinate is relative to the instance when the relative option
// is ticked; drawn in the current colour, font and alignment.
#include <cmath>
#include <cstdio>
#include <string>

#include "data/background.h"
#include "data/sprite.h"
#include "functions/action_helpers.h"
#include "functions/argument_helpers.h"
#include "functions/text_functions.h"
#include "graphics/primitives.h"
#include "graphics/text.h"
#include "platform/conversions.h"
#include "runner/commands.h"
#include "runner/instance.h"
#include "script/error_report.h"

namespace {

using Args = ScriptValue*;

constexpr uint32_t kWhite = 0xFFFFFF;

float RelX(const CInstance* self, const ScriptValue& arg) {
  return self != nullptr ? Action_Rel(Arg_Single(arg), self->x) : Arg_Single(arg);
}
float RelY(const CInstance* self, const ScriptValue& arg) {
  return self != nullptr ? Action_Rel(Arg_Single(arg), self->y) : Arg_Single(arg);
}

uint32_t Colour(const ScriptValue& arg) { return static_cast<uint32_t>(Arg_Rounded(arg)); }

void F_ActionDrawSprite(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  const CSprite* sprite = Sprite_Data(Arg_Rounded(a[0]));
  if (sprite == nullptr) {
    Error_Show_Action("Trying to draw a non-existing sprite.", false);
    return;
  }
  double subimg = Arg_Real(a[3]);
  if (subimg < 0.0) subimg = self != nullptr ? self->image_index : 0.0;
  const int32_t frame = Conv_TruncToInt32(std::floor(subimg));
  sprite->Draw(frame, RelX(self, a[1]), RelY(self, a[2]), 1.0f, 1.0f, 0.0f, kWhite, 1.0f);
}

void F_ActionDrawBackground(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  const CBackground* background = Background_Data(Arg_Rounded(a[0]));
  if (background == nullptr) {
    Error_Show_Action("Trying to draw a non-existing background.", false);
    return;
  }
  const float x = RelX(self, a[1]);
  const float y = RelY(self, a[2]);
  if (Arg_Flag(a[3])) {
    int32_t width = 0, height = 0;
    Command_RoomSize(width, height);
    background->DrawTiled(x, y, 1.0f, 1.0f, true, true, 0.0f, 0.0f, static_cast<float>(width),
                          static_cast<float>(height), kWhite, 1.0f);
  } else {
    background->DrawExt(x, y, 1.0f, 1.0f, 0.0f, kWhite, 1.0f);
  }
}

void F_ActionDrawText(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  GR_Text_Draw(RelX(self, a[1]), RelY(self, a[2]), Value_To_Text(a[0]), -1, -1);
}

void F_ActionDrawTextTransformed(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  GR_Text_Draw_Transformed(RelX(self, a[1]), RelY(self, a[2]), Value_To_Text(a[0]), -1, -1, Arg_Single(a[3]),
                           Arg_Single(a[4]), Arg_Single(a[5]));
}

void F_ActionDrawRectangle(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  GR_Draw_Rectangle(RelX(self, a[0]), RelY(self, a[1]), RelX(self, a[2]), RelY(self, a[3]), Arg_Flag(a[4]));
}

void F_ActionDrawGradientHor(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  const uint32_t left = Colour(a[4]);
  const uint32_t right = Colour(a[5]);
  GR_Draw_Rectangle_Color(RelX(self, a[0]), RelY(self, a[1]), RelX(self, a[2]), RelY(self, a[3]), left, right, right,
                          left, false);
}

void F_ActionDrawGradientVert(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  const uint32_t top = Colour(a[4]);
  const uint32_t bottom = Colour(a[5]);
  GR_Draw_Rectangle_Color(RelX(self, a[0]), RelY(self, a[1]), RelX(self, a[2]), RelY(self, a[3]), top, top, bottom,
                          bottom, false);
}

void F_ActionDrawEllipse(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  GR_Draw_Ellipse(RelX(self, a[0]), RelY(self, a[1]), RelX(self, a[2]), RelY(self, a[3]), Arg_FlagSingle(a[4]));
}

void F_ActionDrawEllipseGradient(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  GR_Draw_Ellipse_Color(RelX(self, a[0]), RelY(self, a[1]), RelX(self, a[2]), RelY(self, a[3]), Colour(a[4]),
                        Colour(a[5]), false);
}

void F_ActionDrawLine(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  GR_Draw_Line(RelX(self, a[0]), RelY(self, a[1]), RelX(self, a[2]), RelY(self, a[3]));
}

void F_ActionDrawArrow(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  GR_Draw_Arrow(RelX(self, a[0]), RelY(self, a[1]), RelX(self, a[2]), RelY(self, a[3]), Arg_Single(a[4]));
}

constexpr size_t kMaxVariableText = 1023;

void F_ActionDrawVariable(ScriptValue&, CInstance* self, CInstance*, int, Args a) {
  std::string text;
  if (a[0].IsString()) {
    text = Arg_String(a[0]).substr(0, kMaxVariableText);
  } else {
    const double value = Arg_Real(a[0]);
    char buffer[64];
    if (value == Conv_RoundHalfEven(value)) {
      std::snprintf(buffer, sizeof buffer, "%d", Conv_RoundToInt32(value));
    } else {
      std::snprintf(buffer, sizeof buffer, "%10.2f", value);
    }
    text = buffer;
  }
  GR_Text_Draw(RelX(self, a[1]), RelY(self, a[2]), text, -1, -1);
}

void F_ActionColor(ScriptValue&, CInstance*, CInstance*, int, Args a) { GR_Draw_Set_Color(Colour(a[0])); }

void F_ActionFont(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  GR_Text_Set_Font(Arg_Rounded(a[0]));
  GR_Text_Set_Halign(Arg_Rounded(a[1]));
}

constexpr ActionBuiltin kDrawingActions[] = {
    {"action_draw_sprite", F_ActionDrawSprite, 4},
    {"action_draw_background", F_ActionDrawBackground, 4},
    {"action_draw_text", F_ActionDrawText, 3},
    {"action_draw_text_transformed", F_ActionDrawTextTransformed, 6},
    {"action_draw_rectangle", F_ActionDrawRectangle, 5},
    {"action_draw_gradient_hor", F_ActionDrawGradientHor, 6},
    {"action_draw_gradient_vert", F_ActionDrawGradientVert, 6},
    {"action_draw_ellipse", F_ActionDrawEllipse, 5},
    {"action_draw_ellipse_gradient", F_ActionDrawEllipseGradient, 6},
    {"action_draw_line", F_ActionDrawLine, 4},
    {"action_draw_arrow", F_ActionDrawArrow, 5},
    {"action_draw_variable", F_ActionDrawVariable, 3},
    {"action_color", F_ActionColor, 1},
    {"action_font", F_ActionFont, 2},
};

}  // namespace

std::span<const ActionBuiltin> Action_DrawingBuiltins() { return kDrawingActions; }

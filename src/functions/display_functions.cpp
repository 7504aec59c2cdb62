#include "functions/display_functions.h"

#include "functions/argument_helpers.h"
#include "graphics/batch.h"
#include "graphics/device.h"
#include "graphics/render_state.h"
#include "graphics/textured_quads.h"
#include "runner/display.h"
#include "runner/main_loop.h"
#include "runner/room_drawing.h"
#include "runner/window.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

// Render state 12 of the device layer's numbering: alpha blending.
constexpr int kRenderStateAlphaBlend = 12;

void Answer(ScriptValue& result, double value) { result.SetReal(value); }
void Answer(ScriptValue& result, int value) { result.SetReal(value); }
void Answer(ScriptValue& result, bool value) { result.SetReal(value ? 1.0 : 0.0); }

// A display mode change answers whether it took, and the device is reset either way.
void AfterModeChange(ScriptValue& result, bool changed) {
  Answer(result, changed);
  GR_Display_Reset();
}

}  // namespace

// ---- the screen ----------------------------------------------------------------------------

void F_DisplayGetWidth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, Display_GetWidth()); }
void F_DisplayGetHeight(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, Display_GetHeight()); }
void F_DisplayGetColordepth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  Answer(r, Display_GetColourDepth());
}
void F_DisplayGetFrequency(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  Answer(r, Display_GetFrequency());
}
void F_DisplayGetOrientation(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, 0.0); }

void F_DisplaySetSize(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  AfterModeChange(r, Display_SetSize(Arg_Rounded(a[0]), Arg_Rounded(a[1])));
}
void F_DisplaySetColordepth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  AfterModeChange(r, Display_SetColourDepth(Arg_Rounded(a[0])));
}
void F_DisplaySetFrequency(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  AfterModeChange(r, Display_SetFrequency(Arg_Rounded(a[0])));
}
void F_DisplaySetAll(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  AfterModeChange(r, Display_SetAll(Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3])));
}
void F_DisplayTestAll(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Answer(r, Display_TestAll(Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3])));
}

void F_DisplayReset(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetReal(0.0);
  Display_SetAntialias(Arg_Truncated(a[0]) & 0xFF);
  Display_SetVSync(Arg_Truncated(a[1]) > 0);
  WindowSettingsChanged = 1;
}

void F_DisplayMouseGetX(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, Display_Mouse_GetX()); }
void F_DisplayMouseGetY(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, Display_Mouse_GetY()); }
void F_DisplayMouseSet(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  Display_Mouse_Set(Arg_Rounded(a[0]), Arg_Rounded(a[1]));
}

// ---- the window ----------------------------------------------------------------------------

// Window settings the system keeps for itself: setting them does nothing, reading gives 0
// (the window is always visible: 1).
void F_WindowSetIgnored(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}
void F_WindowGetVisible(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, 1.0); }
void F_WindowGetIgnored(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, 0.0); }

void F_WindowSetFullscreen(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Window_Set_Fullscreen(Arg_Flag(a[0]));
}
void F_WindowGetFullscreen(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  Answer(r, GR_Window_Get_Fullscreen());
}
void F_WindowSetCaption(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Window_Set_Caption(Arg_CString(a[0]));
}
void F_WindowGetCaption(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  r.SetString(GR_Window_Get_Caption());
}
void F_WindowSetCursor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Window_Set_Cursor(Arg_Rounded(a[0]));
}
void F_WindowGetCursor(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, GR_Window_Get_Cursor()); }
void F_WindowSetColor(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Window_Set_Color(static_cast<uint32_t>(Arg_Rounded(a[0])));
}
void F_WindowGetColor(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  Answer(r, static_cast<double>(GR_Window_Get_Color()));
}
void F_WindowSetPosition(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Window_Set_Position(Arg_Rounded(a[0]), Arg_Rounded(a[1]));
}
void F_WindowSetSize(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Window_Set_Size(Arg_Rounded(a[0]), Arg_Rounded(a[1]));
}
void F_WindowSetRectangle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Window_Set_Rectangle(Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3]));
}
void F_WindowCenter(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { GR_Window_Center(); }
void F_WindowGetX(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, GR_Window_Get_X()); }
void F_WindowGetY(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, GR_Window_Get_Y()); }
void F_WindowGetWidth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  Answer(r, GR_Window_Get_Client_Width());
}
void F_WindowGetHeight(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  Answer(r, GR_Window_Get_Client_Height());
}

// ---- the mouse in the window and in views ---------------------------------------------------

void F_WindowMouseGetX(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, GR_Window_Mouse_X()); }
void F_WindowMouseGetY(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { Answer(r, GR_Window_Mouse_Y()); }
void F_WindowMouseSet(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  GR_Window_Mouse_Set(Arg_Rounded(a[0]), Arg_Rounded(a[1]));
}
void F_WindowViewMouseGetX(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Answer(r, GR_Window_View_Mouse_X(Arg_Rounded(a[0])));
}
void F_WindowViewMouseGetY(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Answer(r, GR_Window_View_Mouse_Y(Arg_Rounded(a[0])));
}
void F_WindowViewsMouseGetX(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  Answer(r, GR_Window_Views_Mouse_X(0));
}
void F_WindowViewsMouseGetY(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  Answer(r, GR_Window_Views_Mouse_Y(0));
}

// ---- the platform family's display built-ins ------------------------------------------------

void F_DisplaySetGuiSize(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetReal(0.0);
  Room_SetGuiSize(Arg_Truncated(a[0]), Arg_Truncated(a[1]));
}

void F_DisplayGetGuiWidth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  int width = 0, height = 0;
  Room_GetGuiSize(width, height);
  Answer(r, width >= 0 ? width : Graphics_Sizes().screenWidth);
}

void F_DisplayGetGuiHeight(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  int width = 0, height = 0;
  Room_GetGuiSize(width, height);
  Answer(r, height >= 0 ? height : Graphics_Sizes().screenHeight);
}

void F_DrawEnableAlphablend(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue* a) {
  if (argc != 1) return;
  if (a[0].IsString()) {
    Error_Show_Action("Illegal argument type: true/false expected", false);
    return;
  }
  GR_D3D_Batch_Flush();
  Graphics_SetRenderState(kRenderStateAlphaBlend, static_cast<uint32_t>(Arg_Truncated(a[0])));
}

void F_DrawTextureFlush(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  GR_D3D_Batch_Flush();
  GR_Texture_Flush();
}

void F_WindowHandle(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) {
  Answer(r, static_cast<double>(Window_NativeHandle()));
}

void RegisterDisplayAndWindowFunctions() {
  Function_Add("display_get_width", F_DisplayGetWidth, 0);
  Function_Add("display_get_height", F_DisplayGetHeight, 0);
  Function_Add("display_get_colordepth", F_DisplayGetColordepth, 0);
  Function_Add("display_get_frequency", F_DisplayGetFrequency, 0);
  Function_Add("display_get_orientation", F_DisplayGetOrientation, 0);
  Function_Add("display_set_size", F_DisplaySetSize, 2);
  Function_Add("display_set_colordepth", F_DisplaySetColordepth, 1);
  Function_Add("display_set_frequency", F_DisplaySetFrequency, 1);
  Function_Add("display_set_all", F_DisplaySetAll, 4);
  Function_Add("display_test_all", F_DisplayTestAll, 4);
  Function_Add("display_reset", F_DisplayReset, 2);
  Function_Add("display_mouse_get_x", F_DisplayMouseGetX, 0);
  Function_Add("display_mouse_get_y", F_DisplayMouseGetY, 0);
  Function_Add("display_mouse_set", F_DisplayMouseSet, 2);
  Function_Add("window_set_visible", F_WindowSetIgnored, 1);
  Function_Add("window_get_visible", F_WindowGetVisible, 0);
  Function_Add("window_set_fullscreen", F_WindowSetFullscreen, 1);
  Function_Add("window_get_fullscreen", F_WindowGetFullscreen, 0);
  Function_Add("window_set_showborder", F_WindowSetIgnored, 1);
  Function_Add("window_set_showicons", F_WindowSetIgnored, 1);
  Function_Add("window_set_stayontop", F_WindowSetIgnored, 1);
  Function_Add("window_set_sizeable", F_WindowSetIgnored, 1);
  Function_Add("window_get_showborder", F_WindowGetIgnored, 0);
  Function_Add("window_get_showicons", F_WindowGetIgnored, 0);
  Function_Add("window_get_stayontop", F_WindowGetIgnored, 0);
  Function_Add("window_get_sizeable", F_WindowGetIgnored, 0);
  Function_Add("window_set_caption", F_WindowSetCaption, 1);
  Function_Add("window_get_caption", F_WindowGetCaption, 0);
  Function_Add("window_set_cursor", F_WindowSetCursor, 1);
  Function_Add("window_get_cursor", F_WindowGetCursor, 0);
  Function_Add("window_set_color", F_WindowSetColor, 1);
  Function_Add("window_get_color", F_WindowGetColor, 0);
  Function_Add("window_set_position", F_WindowSetPosition, 2);
  Function_Add("window_set_size", F_WindowSetSize, 2);
  Function_Add("window_set_rectangle", F_WindowSetRectangle, 4);
  Function_Add("window_center", F_WindowCenter, 0);
  Function_Add("window_default", F_WindowSetIgnored, 0);
  Function_Add("window_get_x", F_WindowGetX, 0);
  Function_Add("window_get_y", F_WindowGetY, 0);
  Function_Add("window_get_width", F_WindowGetWidth, 0);
  Function_Add("window_get_height", F_WindowGetHeight, 0);
  Function_Add("window_mouse_get_x", F_WindowMouseGetX, 0);
  Function_Add("window_mouse_get_y", F_WindowMouseGetY, 0);
  Function_Add("window_mouse_set", F_WindowMouseSet, 2);
  Function_Add("window_view_mouse_get_x", F_WindowViewMouseGetX, 1);
  Function_Add("window_view_mouse_get_y", F_WindowViewMouseGetY, 1);
  Function_Add("window_view_mouse_set", F_WindowSetIgnored, 3);
  Function_Add("window_views_mouse_get_x", F_WindowViewsMouseGetX, 0);
  Function_Add("window_views_mouse_get_y", F_WindowViewsMouseGetY, 0);
  Function_Add("window_views_mouse_set", F_WindowSetIgnored, 2);
}

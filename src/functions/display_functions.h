// The display_* and window_* built-ins: the screen's mode, the main window (size, place,
// caption, cursor, colour, full screen) and the mouse in screen, window and view
// coordinates; and the display built-ins of the platform family (the GUI layer's size,
// alpha blending, the texture flush, the window's handle).
#pragma once

#include "script/builtin_function.h"

// The 50 display_* and window_* built-ins in their fixed order (the graphics registration
// follows them with screen_save and screen_save_part).
void RegisterDisplayAndWindowFunctions();

BuiltinSignature F_DisplaySetGuiSize;
BuiltinSignature F_DisplayGetGuiWidth;
BuiltinSignature F_DisplayGetGuiHeight;
BuiltinSignature F_DrawEnableAlphablend;
BuiltinSignature F_DrawTextureFlush;
BuiltinSignature F_WindowHandle;

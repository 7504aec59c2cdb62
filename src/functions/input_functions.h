// Built-ins that read and drive the keyboard, the mouse devices and the joysticks, clear
// input, wait for a key or button, and manage the on-screen virtual keys.
#pragma once

#include <cstdint>

#include "script/builtin_function.h"

void InitInputFunctions();

// Joystick arithmetic: the keypad-laid-out direction (97..105) of an x/y in 0..65535, an
// axis position as -1..1, and a point of view in degrees (-1 when centred).
int Joystick_Direction(uint32_t x, uint32_t y);
double Joystick_AxisValue(uint32_t position);
double Joystick_PovDegrees(uint32_t hundredths);

BuiltinSignature F_KeyboardCheck;
BuiltinSignature F_KeyboardCheckPressed;
BuiltinSignature F_KeyboardCheckReleased;
BuiltinSignature F_KeyboardCheckDirect;
BuiltinSignature F_KeyboardGetNumlock;
BuiltinSignature F_KeyboardSetNumlock;
BuiltinSignature F_KeyboardKeyPress;
BuiltinSignature F_KeyboardKeyRelease;
BuiltinSignature F_KeyboardSetMap;
BuiltinSignature F_KeyboardGetMap;
BuiltinSignature F_KeyboardUnsetMap;
BuiltinSignature F_KeyboardClear;
BuiltinSignature F_KeyboardWait;
BuiltinSignature F_MouseCheckButton;
BuiltinSignature F_MouseCheckButtonPressed;
BuiltinSignature F_MouseCheckButtonReleased;
BuiltinSignature F_DeviceMouseCheckButton;
BuiltinSignature F_DeviceMouseCheckButtonPressed;
BuiltinSignature F_DeviceMouseCheckButtonReleased;
BuiltinSignature F_DeviceMouseX;
BuiltinSignature F_DeviceMouseY;
BuiltinSignature F_DeviceMouseRawX;
BuiltinSignature F_DeviceMouseRawY;
BuiltinSignature F_MouseWheelUp;
BuiltinSignature F_MouseWheelDown;
BuiltinSignature F_MouseClear;
BuiltinSignature F_MouseWait;
BuiltinSignature F_DeviceMouseDbclickEnable;
BuiltinSignature F_JoystickExists;
BuiltinSignature F_JoystickDirection;
BuiltinSignature F_JoystickName;
BuiltinSignature F_JoystickAxes;
BuiltinSignature F_JoystickButtons;
BuiltinSignature F_JoystickHasPov;
BuiltinSignature F_JoystickCheckButton;
BuiltinSignature F_JoystickXpos;
BuiltinSignature F_JoystickYpos;
BuiltinSignature F_JoystickZpos;
BuiltinSignature F_JoystickRpos;
BuiltinSignature F_JoystickUpos;
BuiltinSignature F_JoystickVpos;
BuiltinSignature F_JoystickPov;
BuiltinSignature F_IoClear;
BuiltinSignature F_IoHandle;
BuiltinSignature F_VirtualKeyAdd;
BuiltinSignature F_VirtualKeyDelete;
BuiltinSignature F_VirtualKeyShow;
BuiltinSignature F_VirtualKeyHide;

// The double-click flag device_mouse_dbclick_enable writes.
bool Input_DoubleClickEnabled();

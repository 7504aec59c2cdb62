#include "functions/input_functions.h"

#include <chrono>
#include <thread>

#include "functions/argument_helpers.h"
#include "runner/input.h"
#include "runner/window.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

bool g_doubleClick = true;

using KeyTest = bool (*)(int key);
using ButtonTest = bool (*)(int button, int device);

// Key 0 asks "no key", key 1 "any key"; codes outside 0..255 answer false.
bool KeySelector(int key, KeyTest test) {
  if (key < 0 || key > 255) return false;
  if (key == 0 || key == 1) {
    bool any = false;
    for (int k = 0; k < 256 && !any; ++k) any = test(k);
    return key == 0 ? !any : any;
  }
  return test(key);
}

// Button 0 asks "no button", -1 "any button"; others outside 1..3 answer false.
bool ButtonSelector(int button, int device, ButtonTest test) {
  if (button == 0 || button == -1) {
    bool any = test(1, device) || test(2, device) || test(3, device);
    return button == 0 ? !any : any;
  }
  return button >= 1 && button <= 3 && test(button, device);
}

void SetFlag(ScriptValue& result, bool flag) { result.SetReal(flag ? 1.0 : 0.0); }

// The joystick a number selects: 2 the second, anything else the first.
bool ReadJoystick(const ScriptValue& id, JoystickReading& reading) {
  return Window_JoystickRead(Arg_Real(id) == 2.0 ? 1 : 0, reading);
}

void JoystickAxis(ScriptValue& result, const ScriptValue& id, size_t axis) {
  result.SetReal(0.0);
  JoystickReading reading;
  if (ReadJoystick(id, reading)) result.SetReal(Joystick_AxisValue(reading.axes[axis]));
}

// The waits pump until something arrives; without a window nothing ever can, so they
// return at once (also when the window closes meanwhile).
template <typename Arrived>
void WaitFor(Arrived arrived) {
  if (MainWindow().window == nullptr || !Window_ProcessMessages()) return;
  while (!arrived()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!Window_ProcessMessages()) return;
  }
}

// Shared by the virtual-key built-ins that take a handle: the record index, or -1 after
// the report.
int VirtualKeyIndex(int argc, const ScriptValue* args) {
  if (argc != 1) {
    Arg_ReportIllegalCount();
    return -1;
  }
  if (args[0].IsString()) {
    Error_Show_Action("Illegal argument", false);
    return -1;
  }
  int32_t handle = Arg_Truncated(args[0]);
  if (handle < 1 || handle > kVirtualKeyCount) {
    Error_Show_Action("Illegal virtual key handle", false);
    return -1;
  }
  return handle - 1;
}

}  // namespace

int Joystick_Direction(uint32_t x, uint32_t y) {
  int row = y < 20000 ? 6 : (y > 44000 ? 0 : 3);
  if (x < 20000) return row + 97;
  if (x > 44000) return row + 99;
  return row + 98;
}

double Joystick_AxisValue(uint32_t position) {
  return static_cast<double>(static_cast<float>(position)) / 32767.0 - 1.0;
}

double Joystick_PovDegrees(uint32_t hundredths) {
  double degrees = static_cast<double>(hundredths) / 100.0;
  return degrees > 360.0 ? -1.0 : degrees;
}

bool Input_DoubleClickEnabled() { return g_doubleClick; }

void F_KeyboardCheck(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  SetFlag(result, KeySelector(Arg_Rounded(args[0]), IO_Keyboard_Check));
}
void F_KeyboardCheckPressed(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  SetFlag(result, KeySelector(Arg_Rounded(args[0]), IO_Keyboard_Check_Pressed));
}
void F_KeyboardCheckReleased(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  SetFlag(result, KeySelector(Arg_Rounded(args[0]), IO_Keyboard_Check_Released));
}
// The state right now: what the window's events have told the input so far, ahead of
// the step's copy.
void F_KeyboardCheckDirect(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  int32_t key = Arg_Rounded(args[0]);
  SetFlag(result, key >= 0 && key <= 255 && IO_Pending().keyDown[static_cast<size_t>(key)] != 0);
}
void F_KeyboardGetNumlock(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  SetFlag(result, Window_NumLock());
}
void F_KeyboardSetNumlock(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  bool wish = Arg_Flag(args[0]);
  if (Window_NumLock() != wish) Window_SetNumLock(wish);
}
// Synthesised strokes arrive the way the window's own key events do.
void F_KeyboardKeyPress(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  IO_Key_Down(Arg_Rounded(args[0]));
}
void F_KeyboardKeyRelease(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  IO_Key_Up(Arg_Rounded(args[0]));
}
void F_KeyboardSetMap(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  IO_Keyboard_Set_Map(Arg_Rounded(args[0]), Arg_Rounded(args[1]));
}
void F_KeyboardGetMap(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(IO_Keyboard_Get_Map(Arg_Rounded(args[0])));
}
void F_KeyboardUnsetMap(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { IO_Keyboard_Unset_Map(); }
void F_KeyboardClear(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Window_ProcessMessages();
  IO_Keyboard_Clear(Arg_Rounded(args[0]));
}
void F_KeyboardWait(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  IO_KeyboardLastKey_Set(0);
  WaitFor([] { return IO_Pending().lastKey != 0; });
}

void F_MouseCheckButton(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  SetFlag(result, ButtonSelector(Arg_Rounded(args[0]), 0, IO_Mouse_Check));
}
void F_MouseCheckButtonPressed(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  SetFlag(result, ButtonSelector(Arg_Rounded(args[0]), 0, IO_Mouse_Check_Pressed));
}
void F_MouseCheckButtonReleased(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  SetFlag(result, ButtonSelector(Arg_Rounded(args[0]), 0, IO_Mouse_Check_Released));
}
void F_DeviceMouseCheckButton(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  SetFlag(result, ButtonSelector(Arg_Rounded(args[1]), Arg_Rounded(args[0]), IO_Mouse_Check));
}
void F_DeviceMouseCheckButtonPressed(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  SetFlag(result, ButtonSelector(Arg_Rounded(args[1]), Arg_Rounded(args[0]), IO_Mouse_Check_Pressed));
}
void F_DeviceMouseCheckButtonReleased(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  SetFlag(result, ButtonSelector(Arg_Rounded(args[1]), Arg_Rounded(args[0]), IO_Mouse_Check_Released));
}
void F_DeviceMouseX(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Window_Views_Mouse_X(Arg_Rounded(args[0])));
}
void F_DeviceMouseY(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(GR_Window_Views_Mouse_Y(Arg_Rounded(args[0])));
}
// Only device 0 has a pointer here; the other devices stay at 0.
void F_DeviceMouseRawX(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Arg_Truncated(args[0]) == 0 ? static_cast<double>(MainWindow().rawMouseX) : 0.0);
}
void F_DeviceMouseRawY(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(Arg_Truncated(args[0]) == 0 ? static_cast<double>(MainWindow().rawMouseY) : 0.0);
}
void F_MouseWheelUp(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  SetFlag(result, IO_Mouse_Wheel_Up(0));
}
void F_MouseWheelDown(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  SetFlag(result, IO_Mouse_Wheel_Down(0));
}
void F_MouseClear(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  Window_ProcessMessages();
  IO_Mouse_Clear(Arg_Rounded(args[0]), 0);
}
void F_MouseWait(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  IO_MouseLastButton_Set(0, 0);
  WaitFor([] { return IO_Pending().mouseLastButton[0] != 0; });
}
void F_DeviceMouseDbclickEnable(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (argc == 1 && args[0].IsReal()) g_doubleClick = Arg_Real(args[0]) > 0.5;
}

void F_JoystickExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  JoystickReading reading;
  SetFlag(result, ReadJoystick(args[0], reading));
}
void F_JoystickDirection(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(101.0);
  JoystickReading reading;
  if (ReadJoystick(args[0], reading)) result.SetReal(Joystick_Direction(reading.axes[0], reading.axes[1]));
}
void F_JoystickName(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetString("");
  JoystickReading reading;
  if (ReadJoystick(args[0], reading)) result.SetString(reading.name);
}
void F_JoystickAxes(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(0.0);
  JoystickReading reading;
  if (ReadJoystick(args[0], reading)) result.SetReal(reading.axisCount);
}
void F_JoystickButtons(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(0.0);
  JoystickReading reading;
  if (ReadJoystick(args[0], reading)) result.SetReal(reading.buttonCount);
}
void F_JoystickHasPov(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  JoystickReading reading;
  SetFlag(result, ReadJoystick(args[0], reading) && reading.hasPov);
}
void F_JoystickCheckButton(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(0.0);
  JoystickReading reading;
  int32_t button = Arg_Rounded(args[1]);
  if (!ReadJoystick(args[0], reading) || button < 1 || button > 32) return;
  SetFlag(result, (reading.buttons >> (button - 1)) & 1u);
}
void F_JoystickXpos(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { JoystickAxis(r, a[0], 0); }
void F_JoystickYpos(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { JoystickAxis(r, a[0], 1); }
void F_JoystickZpos(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { JoystickAxis(r, a[0], 2); }
void F_JoystickRpos(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { JoystickAxis(r, a[0], 3); }
void F_JoystickUpos(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { JoystickAxis(r, a[0], 4); }
void F_JoystickVpos(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { JoystickAxis(r, a[0], 5); }
void F_JoystickPov(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(-1.0);
  JoystickReading reading;
  if (ReadJoystick(args[0], reading)) result.SetReal(Joystick_PovDegrees(reading.pov));
}

void F_IoClear(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  Window_ProcessMessages();
  IO_Clear();
}
void F_IoHandle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) { Window_ProcessMessages(); }

void F_VirtualKeyAdd(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetReal(0.0);
  if (!Arg_CheckCount(argc, 5) || !Arg_CheckAllReal(argc, args)) return;
  VirtualKey* key = IO_VirtualKey_FindFree();
  if (key == nullptr) return;
  key->x = Arg_Truncated(args[0]);
  key->y = Arg_Truncated(args[1]);
  key->w = Arg_Truncated(args[2]);
  key->h = Arg_Truncated(args[3]);
  key->right = static_cast<int32_t>(static_cast<int64_t>(key->x) + key->w);
  key->bottom = static_cast<int32_t>(static_cast<int64_t>(key->y) + key->h);
  key->key = Arg_Truncated(args[4]);
  key->u = key->v = key->button = 0;
  key->flags = 1;
  result.SetReal(static_cast<double>(key - IO_VirtualKeys().data()) + 1.0);
}
void F_VirtualKeyDelete(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetReal(0.0);
  int index = VirtualKeyIndex(argc, args);
  if (index >= 0) IO_VirtualKey_Delete(index);
}
void F_VirtualKeyShow(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetReal(0.0);
  int index = VirtualKeyIndex(argc, args);
  if (index >= 0) IO_VirtualKeys()[static_cast<size_t>(index)].flags |= 2u;
}
void F_VirtualKeyHide(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  result.SetReal(0.0);
  int index = VirtualKeyIndex(argc, args);
  if (index >= 0) IO_VirtualKeys()[static_cast<size_t>(index)].flags &= static_cast<uint16_t>(~2u);
}

namespace {
struct InputBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr InputBuiltin kInputBuiltins[] = {
    {"keyboard_check", F_KeyboardCheck, 1},
    {"keyboard_check_pressed", F_KeyboardCheckPressed, 1},
    {"keyboard_check_released", F_KeyboardCheckReleased, 1},
    {"keyboard_check_direct", F_KeyboardCheckDirect, 1},
    {"keyboard_get_numlock", F_KeyboardGetNumlock, 0},
    {"keyboard_set_numlock", F_KeyboardSetNumlock, 1},
    {"keyboard_key_press", F_KeyboardKeyPress, 1},
    {"keyboard_key_release", F_KeyboardKeyRelease, 1},
    {"keyboard_set_map", F_KeyboardSetMap, 2},
    {"keyboard_get_map", F_KeyboardGetMap, 1},
    {"keyboard_unset_map", F_KeyboardUnsetMap, 0},
    {"keyboard_clear", F_KeyboardClear, 1},
    {"keyboard_wait", F_KeyboardWait, 0},
    {"mouse_check_button", F_MouseCheckButton, 1},
    {"mouse_check_button_pressed", F_MouseCheckButtonPressed, 1},
    {"mouse_check_button_released", F_MouseCheckButtonReleased, 1},
    {"device_mouse_check_button", F_DeviceMouseCheckButton, 2},
    {"Tarn_MouseCheckButton", F_DeviceMouseCheckButton, 2},
    {"device_mouse_check_button_pressed", F_DeviceMouseCheckButtonPressed, 2},
    {"Tarn_MouseCheckButtonPressed", F_DeviceMouseCheckButtonPressed, 2},
    {"device_mouse_check_button_released", F_DeviceMouseCheckButtonReleased, 2},
    {"Tarn_MouseCheckButtonReleased", F_DeviceMouseCheckButtonReleased, 2},
    {"device_mouse_x", F_DeviceMouseX, 1},
    {"Tarn_MouseX", F_DeviceMouseX, 1},
    {"device_mouse_y", F_DeviceMouseY, 1},
    {"Tarn_MouseY", F_DeviceMouseY, 1},
    {"device_mouse_raw_x", F_DeviceMouseRawX, 1},
    {"Tarn_MouseXRaw", F_DeviceMouseRawX, 1},
    {"device_mouse_raw_y", F_DeviceMouseRawY, 1},
    {"Tarn_MouseYRaw", F_DeviceMouseRawY, 1},
    {"mouse_wheel_up", F_MouseWheelUp, 0},
    {"mouse_wheel_down", F_MouseWheelDown, 0},
    {"mouse_clear", F_MouseClear, 1},
    {"mouse_wait", F_MouseWait, 0},
    {"device_mouse_dbclick_enable", F_DeviceMouseDbclickEnable, 0},
    {"joystick_exists", F_JoystickExists, 1},
    {"joystick_direction", F_JoystickDirection, 1},
    {"joystick_name", F_JoystickName, 1},
    {"joystick_axes", F_JoystickAxes, 1},
    {"joystick_buttons", F_JoystickButtons, 1},
    {"joystick_has_pov", F_JoystickHasPov, 1},
    {"joystick_check_button", F_JoystickCheckButton, 2},
    {"joystick_xpos", F_JoystickXpos, 1},
    {"joystick_ypos", F_JoystickYpos, 1},
    {"joystick_zpos", F_JoystickZpos, 1},
    {"joystick_rpos", F_JoystickRpos, 1},
    {"joystick_upos", F_JoystickUpos, 1},
    {"joystick_vpos", F_JoystickVpos, 1},
    {"joystick_pov", F_JoystickPov, 1},
    {"io_clear", F_IoClear, 0},
    {"io_handle", F_IoHandle, 0},
    {"virtual_key_add", F_VirtualKeyAdd, 5},
    {"Tarn_AddVirtualKey", F_VirtualKeyAdd, 5},
    {"virtual_key_delete", F_VirtualKeyDelete, 1},
    {"Tarn_DeleteVirtualKey", F_VirtualKeyDelete, 1},
    {"virtual_key_show", F_VirtualKeyShow, 1},
    {"Tarn_ShowVirtualKey", F_VirtualKeyShow, 1},
    {"virtual_key_hide", F_VirtualKeyHide, 1},
    {"Tarn_HideVirtualKey", F_VirtualKeyHide, 1},
};
}  // namespace

void InitInputFunctions() {
  for (const InputBuiltin& builtin : kInputBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}

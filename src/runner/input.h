// Input state: the keyboard and mouse state one step reads, its pending twin that the
// window's event handling writes, the take-over at the start of each step, recording
// to and playback from a file, the key map, and the on-screen (virtual) buttons.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr int kKeyboardStringUnits = 1025;
inline constexpr int kMouseDevices = 5;
inline constexpr int kVirtualKeyCount = 128;
inline constexpr int kTouchPointCount = 128;
// One recorded frame: the seventeen blocks of the state, little-endian.
inline constexpr size_t kRecordFrameBytes = 2939;

struct InputFrame {
  uint16_t lastChar = 0;
  std::array<char16_t, kKeyboardStringUnits> keyboardString{};
  int32_t lastKey = 0;
  int32_t key = 0;
  std::array<uint8_t, 256> keyDown{};
  std::array<uint8_t, 256> keyReleased{};
  std::array<uint8_t, 256> keyPressed{};
  std::array<int32_t, kMouseDevices> mouseLastButton{};
  std::array<int32_t, kMouseDevices> mouseButton{};
  std::array<std::array<uint8_t, 3>, kMouseDevices> mouseDown{};
  std::array<std::array<uint8_t, 3>, kMouseDevices> mousePressed{};
  std::array<std::array<uint8_t, 3>, kMouseDevices> mouseReleased{};
  std::array<uint8_t, kMouseDevices> wheelUp{};
  std::array<uint8_t, kMouseDevices> wheelDown{};
  std::array<int32_t, 2> cursorPos{};
  int32_t windowMouseX = 0;
  int32_t windowMouseY = 0;
};

// The byte layout of a recorded frame.
std::array<uint8_t, kRecordFrameBytes> IO_EncodeFrame(const InputFrame& frame);
// False (and the frame untouched) when the bytes are not a valid frame.
bool IO_DecodeFrame(const uint8_t* bytes, size_t size, InputFrame& frame);

struct VirtualKey {
  uint16_t flags = 0;  // bit 0 in use, bit 1 shown
  uint16_t id = 0;
  int32_t x = 0, y = 0, right = 0, bottom = 0, w = 0, h = 0, u = 0, v = 0;
  int32_t key = 0;
  int32_t button = 0;
};

struct TouchPoint {
  uint32_t flags = 0;  // bit 31: touched since the last step
  int32_t x = 0, y = 0;
  int32_t extra[2] = {0, 0};
};

struct InputHooks {
  // The scale of touch points and virtual keys: the room's size, or view 0's port size
  // when the room uses views and view 0 is visible. False when there is no room.
  std::function<bool(int& width, int& height)> scaleSize;
  // Turns a finished login dialog into its asynchronous event.
  std::function<void()> loginPoll;
  // The value of a built-in constant (VK_* and MB_* names of options.ini).
  std::function<bool(const std::string& name, double& value)> constant;
};
InputHooks& Input_Hooks();

// The current state (what a step reads).
InputFrame& IO_State();
InputFrame& IO_Pending();

// At start-up, with the command line's flags and its one file name ("-record" and
// "-playback" both set the name; when both are given, playback wins).
void IO_Init(bool record, bool playback, const std::string& fileName);
// The same with a file name per mode (empty when not asked for).
void IO_Init(const std::string& recordFile, const std::string& playbackFile);
void IO_Clear();
void IO_Start_Step();
bool IO_Record_Read();
void IO_Record_Write();
void IO_Free();
bool IO_Recording();
bool IO_PlayingBack();
int IO_StepCount();

// Handlers of window events.
void IO_Key_Down(int code);
void IO_Key_Up(int code);
void IO_Char(int character);
void IO_Mouse_Down(int button, int x, int y);
void IO_Mouse_Up(int button, int x, int y);
void IO_Mouse_WheelUp();
void IO_Mouse_WheelDown();
void IO_Touch(int index, int x, int y);

// Accessors behind the input built-ins.
bool IO_Keyboard_Check(int key);
bool IO_Keyboard_Check_Pressed(int key);
bool IO_Keyboard_Check_Released(int key);
void IO_Keyboard_Clear(int key);
bool IO_Mouse_Check(int button, int device);
bool IO_Mouse_Check_Pressed(int button, int device);
bool IO_Mouse_Check_Released(int button, int device);
void IO_Mouse_Clear(int button, int device);
bool IO_Mouse_Wheel_Up(int device);
bool IO_Mouse_Wheel_Down(int device);
int IO_Keyboard_Get_Map(int key);
void IO_Keyboard_Set_Map(int key, int mapped);
void IO_Keyboard_Unset_Map();
int IO_KeyboardLastKey_Get();
void IO_KeyboardLastKey_Set(int key);
int IO_MouseLastButton_Get(int device);
void IO_MouseLastButton_Set(int device, int button);
int IO_MouseButton_Get();
// keyboard_string as UTF-16 units (without the terminator).
std::u16string IO_KeyboardString_Get();
void IO_KeyboardString_Set(const std::u16string& text);

// Virtual keys and on-screen buttons.
int IO_KeyName_To_Code(const std::string& text);
VirtualKey* IO_VirtualKey_FindFree();
void IO_VirtualKey_Delete(int index);
std::array<VirtualKey, kVirtualKeyCount>& IO_VirtualKeys();
// Reads "options.ini" through a lookup of (section, key) -> text (empty when absent).
void IO_Read_Virtual_Buttons(const std::function<std::string(const std::string&, const std::string&)>& read);
void IO_Draw_Virtual_Buttons();

#include "runner/input.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "graphics/batch.h"
#include "graphics/graphics_hooks.h"
#include "platform/console.h"
#include "runner/window.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct InputGlobals {
  InputFrame current;
  InputFrame pending;
  std::array<int32_t, 256> keyMap{};
  int stepCount = 0;
  bool firstTakeOverDone = false;
  bool recording = false;
  bool playback = false;
  bool playbackEnded = false;
  std::unique_ptr<std::FILE, FileCloser> file;
  std::string recordFileName;
  uintmax_t recordedFrames = 0;
  std::array<VirtualKey, kVirtualKeyCount> virtualKeys{};
  std::array<TouchPoint, kTouchPointCount> touches{};
  std::bitset<kVirtualKeyCount> virtualKeyMask;
};

InputGlobals& I() {
  static InputGlobals globals;
  return globals;
}

void IdentityMap() {
  for (int i = 0; i < 256; ++i) I().keyMap[static_cast<size_t>(i)] = i;
}

bool ValidKey(int key) { return key >= 0 && key <= 255; }
bool ValidMouse(int button, int device) { return button >= 1 && button <= 3 && device >= 0 && device < kMouseDevices; }

// Little-endian writer and reader of the frame blocks.
struct Writer {
  uint8_t* p;
  void u8(uint8_t v) { *p++ = v; }
  void u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
  }
  void i32(int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(u >> (8 * i)));
  }
};

struct Reader {
  const uint8_t* p;
  uint8_t u8() { return *p++; }
  uint16_t u16() {
    uint16_t lo = u8();
    return static_cast<uint16_t>(lo | (u8() << 8));
  }
  int32_t i32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(u8()) << (8 * i);
    return static_cast<int32_t>(v);
  }
};

}  // namespace

InputHooks& Input_Hooks() {
  static InputHooks hooks;
  return hooks;
}

InputFrame& IO_State() { return I().current; }
InputFrame& IO_Pending() { return I().pending; }
bool IO_Recording() { return I().recording && I().file != nullptr; }
bool IO_PlayingBack() { return I().playback; }
int IO_StepCount() { return I().stepCount; }

std::array<uint8_t, kRecordFrameBytes> IO_EncodeFrame(const InputFrame& f) {
  std::array<uint8_t, kRecordFrameBytes> bytes{};
  Writer w{bytes.data()};
  w.u16(f.lastChar);
  for (char16_t unit : f.keyboardString) w.u16(static_cast<uint16_t>(unit));
  w.i32(f.lastKey);
  w.i32(f.key);
  for (uint8_t v : f.keyDown) w.u8(v);
  for (uint8_t v : f.keyReleased) w.u8(v);
  for (uint8_t v : f.keyPressed) w.u8(v);
  for (int32_t v : f.mouseLastButton) w.i32(v);
  for (int32_t v : f.mouseButton) w.i32(v);
  for (const auto& d : f.mouseDown) for (uint8_t v : d) w.u8(v);
  for (const auto& d : f.mouseReleased) for (uint8_t v : d) w.u8(v);
  for (const auto& d : f.mousePressed) for (uint8_t v : d) w.u8(v);
  for (uint8_t v : f.wheelUp) w.u8(v);
  for (uint8_t v : f.wheelDown) w.u8(v);
  w.i32(f.cursorPos[0]);
  w.i32(f.cursorPos[1]);
  w.i32(f.windowMouseX);
  w.i32(f.windowMouseY);
  return bytes;
}

bool IO_DecodeFrame(const uint8_t* bytes, size_t size, InputFrame& frame) {
  if (bytes == nullptr || size < kRecordFrameBytes) return false;
  InputFrame f;
  Reader r{bytes};
  f.lastChar = r.u16();
  for (auto& unit : f.keyboardString) unit = static_cast<char16_t>(r.u16());
  f.lastKey = r.i32();
  f.key = r.i32();
  for (auto& v : f.keyDown) v = r.u8();
  for (auto& v : f.keyReleased) v = r.u8();
  for (auto& v : f.keyPressed) v = r.u8();
  for (auto& v : f.mouseLastButton) v = r.i32();
  for (auto& v : f.mouseButton) v = r.i32();
  for (auto& d : f.mouseDown) for (auto& v : d) v = r.u8();
  for (auto& d : f.mouseReleased) for (auto& v : d) v = r.u8();
  for (auto& d : f.mousePressed) for (auto& v : d) v = r.u8();
  for (auto& v : f.wheelUp) v = r.u8();
  for (auto& v : f.wheelDown) v = r.u8();
  f.cursorPos[0] = r.i32();
  f.cursorPos[1] = r.i32();
  f.windowMouseX = r.i32();
  f.windowMouseY = r.i32();
  // A frame the runner could not have written is refused. The last key, key and mouse
  // button words are not checked: games may set them to any value, and that is recorded.
  bool terminated = false;
  for (char16_t unit : f.keyboardString) terminated = terminated || unit == 0;
  if (!terminated) return false;
  auto flags = [](const auto& block) {
    for (uint8_t v : block) {
      if (v > 1) return false;
    }
    return true;
  };
  if (!flags(f.keyDown) || !flags(f.keyReleased) || !flags(f.keyPressed) || !flags(f.wheelUp) ||
      !flags(f.wheelDown))
    return false;
  for (int d = 0; d < kMouseDevices; ++d) {
    if (!flags(f.mouseDown[static_cast<size_t>(d)]) || !flags(f.mousePressed[static_cast<size_t>(d)]) ||
        !flags(f.mouseReleased[static_cast<size_t>(d)]))
      return false;
  }
  frame = f;
  return true;
}

void IO_Init(bool record, bool playback, const std::string& fileName) {
  IO_Init(record && !playback ? fileName : std::string(), playback ? fileName : std::string());
}

void IO_Init(const std::string& recordFile, const std::string& playbackFile) {
  InputGlobals& g = I();
  g.touches = {};
  IO_Clear();
  IdentityMap();
  g.stepCount = 0;
  g.firstTakeOverDone = false;
  g.recording = !recordFile.empty();
  g.playback = !playbackFile.empty();
  if (g.playback) g.recording = false;  // playback wins
  g.playbackEnded = false;
  g.file.reset();
  if (g.playback) {
    // Only a regular file is opened (a pipe would block here); one that is not a whole
    // number of frames was cut short or is not a recording.
    std::error_code error;
    const bool present = std::filesystem::exists(playbackFile, error);
    const bool regular = std::filesystem::is_regular_file(playbackFile, error);
    const uintmax_t size = regular ? std::filesystem::file_size(playbackFile, error) : 0;
    if (present && (!regular || error || size % kRecordFrameBytes != 0)) {
      g_DebugConsole->Output("Playback file is damaged: %s\n", playbackFile.c_str());
    } else if (present) {
      g.file.reset(std::fopen(playbackFile.c_str(), "rb"));
    }
  } else if (g.recording) {
    g.file.reset(std::fopen(recordFile.c_str(), "w+b"));
    g.recordFileName = recordFile;
    g.recordedFrames = 0;
  }
  if (g.file) std::setvbuf(g.file.get(), nullptr, _IONBF, 0);
  // Without its file, playback falls back to live input.
  if (g.playback && !g.file) g.playback = false;
  g.virtualKeys = {};
  for (int i = 0; i < kVirtualKeyCount; ++i) g.virtualKeys[static_cast<size_t>(i)].id = static_cast<uint16_t>(i);
  g.virtualKeyMask.reset();
}

void IO_Clear() {
  InputGlobals& g = I();
  for (InputFrame* f : {&g.current, &g.pending}) {
    InputFrame cleared;
    cleared.cursorPos = f->cursorPos;
    cleared.windowMouseX = f->windowMouseX;
    cleared.windowMouseY = f->windowMouseY;
    *f = cleared;
  }
}

namespace {

void TakeOver() {
  InputGlobals& g = I();
  InputFrame& c = g.current;
  InputFrame& p = g.pending;
  if (!g.firstTakeOverDone) {
    g.firstTakeOverDone = true;
    p.keyboardString = c.keyboardString;
    p.lastChar = c.lastChar;
    p.lastKey = c.lastKey;
    p.key = c.key;
    p.keyDown = c.keyDown;
    p.keyPressed = c.keyPressed;
    p.keyReleased = c.keyReleased;
    p.mouseButton[0] = c.mouseButton[0];
    p.mouseLastButton[0] = c.mouseLastButton[0];
    p.mouseDown[0] = c.mouseDown[0];
    p.mousePressed[0] = c.mousePressed[0];
    p.mouseReleased[0] = c.mouseReleased[0];
    p.wheelUp[0] = c.wheelUp[0];
    p.wheelDown[0] = c.wheelDown[0];
  }
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_GetGlobalMouseState(&c.cursorPos[0], &c.cursorPos[1]);
  p.windowMouseX = static_cast<int32_t>(MainWindow().rawMouseX);
  p.windowMouseY = static_cast<int32_t>(MainWindow().rawMouseY);
  c.keyboardString = p.keyboardString;
  c.lastChar = p.lastChar;
  c.windowMouseX = p.windowMouseX;
  c.windowMouseY = p.windowMouseY;
  c.key = p.key;
  c.lastKey = p.lastKey;
  c.keyDown = p.keyDown;
  for (size_t k = 0; k < 256; ++k) {
    if (p.keyPressed[k]) c.keyPressed[k] = 1;
    if (p.keyReleased[k]) c.keyReleased[k] = 1;
  }
  c.mouseButton[0] = p.mouseButton[0];
  c.mouseLastButton[0] = p.mouseLastButton[0];
  c.mouseDown[0] = p.mouseDown[0];
  c.wheelUp[0] = p.wheelUp[0];
  c.wheelDown[0] = p.wheelDown[0];
  for (size_t b = 0; b < 3; ++b) {
    if (p.mousePressed[0][b]) c.mousePressed[0][b] = 1;
    if (p.mouseReleased[0][b]) c.mouseReleased[0][b] = 1;
  }
  p.keyPressed.fill(0);
  p.keyReleased.fill(0);
  p.mousePressed[0].fill(0);
  p.mouseReleased[0].fill(0);
  p.wheelUp[0] = p.wheelDown[0] = 0;
}

bool ScaleSize(int& width, int& height) {
  const auto& query = Input_Hooks().scaleSize;
  return query && query(width, height) && width > 0 && height > 0;
}

void EvaluateTouches() {
  InputGlobals& g = I();
  int scaleWidth = 0, scaleHeight = 0;
  bool scaled = ScaleSize(scaleWidth, scaleHeight);
  int windowWidth = 0, windowHeight = 0;
  Window_ClientSize(windowWidth, windowHeight);
  std::bitset<kVirtualKeyCount> mask;
  for (TouchPoint& t : g.touches) {
    if ((t.flags & 0x80000000u) == 0) continue;
    int x = t.x, y = t.y;
    if (scaled && windowWidth > 0 && windowHeight > 0) {
      x = static_cast<int>(static_cast<int64_t>(x) * scaleWidth / windowWidth);
      y = static_cast<int>(static_cast<int64_t>(y) * scaleHeight / windowHeight);
    }
    for (size_t i = 0; i < g.virtualKeys.size(); ++i) {
      const VirtualKey& k = g.virtualKeys[i];
      if ((k.flags & 1) && x >= k.x && x < k.right && y >= k.y && y < k.bottom) mask.set(i);
    }
    t.flags = 0;
  }
  InputFrame& c = g.current;
  for (size_t i = 0; i < g.virtualKeys.size(); ++i) {
    const VirtualKey& k = g.virtualKeys[i];
    if ((k.flags & 1) == 0) continue;
    bool now = mask.test(i);
    bool changed = now != g.virtualKeyMask.test(i);
    if (k.key != 0 && ValidKey(k.key)) {
      auto key = static_cast<size_t>(k.key);
      if (now && changed) c.keyPressed[key] = 1;
      if (now && !changed) c.keyDown[key] = 1;
      if (!now && changed) c.keyReleased[key] = 1;
    } else if (k.key == 0 && k.button >= 1 && k.button <= 3) {
      auto button = static_cast<size_t>(k.button - 1);
      if (now && changed) c.mousePressed[0][button] = 1;
      if (now && !changed) c.mouseDown[0][button] = 1;
      if (!now && changed) c.mouseReleased[0][button] = 1;
    }
  }
  g.virtualKeyMask = mask;
}

}  // namespace

void IO_Start_Step() {
  InputGlobals& g = I();
  ++g.stepCount;
  InputFrame& c = g.current;
  c.keyReleased.fill(0);
  c.keyPressed.fill(0);
  for (auto& d : c.mousePressed) d.fill(0);
  for (auto& d : c.mouseReleased) d.fill(0);
  c.wheelUp.fill(0);
  c.wheelDown.fill(0);
  if (!g.playback) {
    TakeOver();
    EvaluateTouches();
    if (Input_Hooks().loginPoll) Input_Hooks().loginPoll();
  } else {
    IO_Record_Read();
  }
  if (IO_Recording()) IO_Record_Write();
}

bool IO_Record_Read() {
  InputGlobals& g = I();
  if (!g.file || !g.playback || g.playbackEnded) return false;
  std::array<uint8_t, kRecordFrameBytes> bytes{};
  size_t read = std::fread(bytes.data(), 1, bytes.size(), g.file.get());
  if (read == 0) return false;  // the end: the last frame's values stay
  if (!IO_DecodeFrame(bytes.data(), read, g.current)) {
    // Treated as the end of the file: the last good frame's values stay.
    g_DebugConsole->Output("Playback file is damaged at frame %d\n", g.stepCount);
    g.playbackEnded = true;
    return false;
  }
  return true;
}

void IO_Record_Write() {
  InputGlobals& g = I();
  if (!g.file || !g.recording) return;
  auto bytes = IO_EncodeFrame(g.current);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), g.file.get()) == bytes.size() &&
                       std::fflush(g.file.get()) == 0;
  if (written) {
    ++g.recordedFrames;
    return;
  }
  // A full disk: the frames written so far stay a whole recording, and recording stops.
  g_DebugConsole->Output("Recording file could not be written: %s\n", g.recordFileName.c_str());
  g.file.reset();
  std::error_code error;
  if (std::filesystem::is_regular_file(g.recordFileName, error))
    std::filesystem::resize_file(g.recordFileName, g.recordedFrames * kRecordFrameBytes, error);
}

void IO_Free() {
  I().file.reset();
  I().virtualKeys = {};
}

void IO_Key_Down(int code) {
  if (!ValidKey(code)) return;
  int k = I().keyMap[static_cast<size_t>(code)];
  if (!ValidKey(k)) return;
  InputFrame& p = I().pending;
  p.lastKey = p.key = k;
  if (!p.keyDown[static_cast<size_t>(k)]) p.keyPressed[static_cast<size_t>(k)] = 1;
  p.keyDown[static_cast<size_t>(k)] = 1;
}

void IO_Key_Up(int code) {
  if (!ValidKey(code)) return;
  int k = I().keyMap[static_cast<size_t>(code)];
  if (!ValidKey(k)) return;
  InputFrame& p = I().pending;
  if (p.key == k) p.key = 0;
  p.keyDown[static_cast<size_t>(k)] = 0;
  p.keyPressed[static_cast<size_t>(k)] = 0;
  p.keyReleased[static_cast<size_t>(k)] = 1;
}

void IO_Char(int character) {
  InputFrame& p = I().pending;
  p.lastChar = static_cast<uint16_t>(character & 0xFF);
  size_t length = 0;
  while (length < p.keyboardString.size() && p.keyboardString[length] != 0) ++length;
  if (length >= 1023) {
    // Restarted: only the new character is kept.
    length = 0;
    p.keyboardString[0] = 0;
  }
  if (character == 8) {
    if (length > 0) --length;
  } else if (character >= 32) {
    p.keyboardString[length++] = static_cast<char16_t>(character);
  }
  p.keyboardString[length] = 0;
}

void IO_Mouse_Down(int button, int x, int y) {
  if (button < 1 || button > 3) return;
  InputFrame& p = I().pending;
  p.mouseLastButton[0] = p.mouseButton[0] = button;
  auto b = static_cast<size_t>(button - 1);
  if (!p.mouseDown[0][b]) p.mousePressed[0][b] = 1;
  p.mouseDown[0][b] = 1;
}

void IO_Mouse_Up(int button, int x, int y) {
  if (button < 1 || button > 3) return;
  InputFrame& p = I().pending;
  p.mouseButton[0] = 0;
  auto b = static_cast<size_t>(button - 1);
  p.mouseDown[0][b] = 0;
  p.mousePressed[0][b] = 0;
  p.mouseReleased[0][b] = 1;
}

void IO_Mouse_WheelUp() { I().pending.wheelUp[0] = 1; }
void IO_Mouse_WheelDown() { I().pending.wheelDown[0] = 1; }

void IO_Touch(int index, int x, int y) {
  if (index < 0 || index >= kTouchPointCount) return;
  TouchPoint& t = I().touches[static_cast<size_t>(index)];
  t.flags |= 0x80000000u;
  t.x = x;
  t.y = y;
}

bool IO_Keyboard_Check(int key) { return ValidKey(key) && I().current.keyDown[static_cast<size_t>(key)] != 0; }
bool IO_Keyboard_Check_Pressed(int key) {
  return ValidKey(key) && I().current.keyPressed[static_cast<size_t>(key)] != 0;
}
bool IO_Keyboard_Check_Released(int key) {
  return ValidKey(key) && I().current.keyReleased[static_cast<size_t>(key)] != 0;
}

void IO_Keyboard_Clear(int key) {
  if (!ValidKey(key)) return;
  for (InputFrame* f : {&I().current, &I().pending}) {
    f->keyDown[static_cast<size_t>(key)] = 0;
    f->keyPressed[static_cast<size_t>(key)] = 0;
    f->keyReleased[static_cast<size_t>(key)] = 0;
  }
}

bool IO_Mouse_Check(int button, int device) {
  return ValidMouse(button, device) &&
         I().current.mouseDown[static_cast<size_t>(device)][static_cast<size_t>(button - 1)] != 0;
}
bool IO_Mouse_Check_Pressed(int button, int device) {
  return ValidMouse(button, device) &&
         I().current.mousePressed[static_cast<size_t>(device)][static_cast<size_t>(button - 1)] != 0;
}
bool IO_Mouse_Check_Released(int button, int device) {
  return ValidMouse(button, device) &&
         I().current.mouseReleased[static_cast<size_t>(device)][static_cast<size_t>(button - 1)] != 0;
}

void IO_Mouse_Clear(int button, int device) {
  if (!ValidMouse(button, device)) return;
  for (InputFrame* f : {&I().current, &I().pending}) {
    auto d = static_cast<size_t>(device), b = static_cast<size_t>(button - 1);
    f->mouseDown[d][b] = f->mousePressed[d][b] = f->mouseReleased[d][b] = 0;
  }
}

bool IO_Mouse_Wheel_Up(int device) {
  return device >= 0 && device < kMouseDevices && I().current.wheelUp[static_cast<size_t>(device)] != 0;
}
bool IO_Mouse_Wheel_Down(int device) {
  return device >= 0 && device < kMouseDevices && I().current.wheelDown[static_cast<size_t>(device)] != 0;
}

int IO_Keyboard_Get_Map(int key) { return ValidKey(key) ? I().keyMap[static_cast<size_t>(key)] : 0; }
void IO_Keyboard_Set_Map(int key, int mapped) {
  if (ValidKey(key) && ValidKey(mapped)) I().keyMap[static_cast<size_t>(key)] = mapped;
}
void IO_Keyboard_Unset_Map() { IdentityMap(); }
int IO_KeyboardLastKey_Get() { return I().current.lastKey; }
void IO_KeyboardLastKey_Set(int key) { I().current.lastKey = I().pending.lastKey = key; }
int IO_MouseLastButton_Get(int device) {
  return device >= 0 && device < kMouseDevices ? I().current.mouseLastButton[static_cast<size_t>(device)] : 0;
}
void IO_MouseLastButton_Set(int device, int button) {
  if (device < 0 || device >= kMouseDevices) return;
  I().current.mouseLastButton[static_cast<size_t>(device)] = button;
  I().pending.mouseLastButton[static_cast<size_t>(device)] = button;
}
int IO_MouseButton_Get() { return I().current.mouseButton[0]; }

std::u16string IO_KeyboardString_Get() {
  const auto& s = I().current.keyboardString;
  size_t length = 0;
  while (length < s.size() && s[length] != 0) ++length;
  return std::u16string(s.data(), length);
}

void IO_KeyboardString_Set(const std::u16string& text) {
  size_t length = std::min(text.size(), static_cast<size_t>(kKeyboardStringUnits - 1));
  for (InputFrame* f : {&I().current, &I().pending}) {
    f->keyboardString.fill(0);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length), f->keyboardString.begin());
  }
}

namespace {

// Virtual-key names of options.ini, when the constant table is not at hand.
bool FallbackConstant(const std::string& name, double& value) {
  static const std::pair<const char*, int> kNames[] = {
      {"VK_NOKEY", 0},     {"VK_ANYKEY", 1},   {"VK_BACKSPACE", 8}, {"VK_TAB", 9},     {"VK_ENTER", 13},
      {"VK_SHIFT", 16},    {"VK_CONTROL", 17}, {"VK_ALT", 18},      {"VK_PAUSE", 19},  {"VK_ESCAPE", 27},
      {"VK_SPACE", 32},    {"VK_PAGEUP", 33},  {"VK_PAGEDOWN", 34}, {"VK_END", 35},    {"VK_HOME", 36},
      {"VK_LEFT", 37},     {"VK_UP", 38},      {"VK_RIGHT", 39},    {"VK_DOWN", 40},   {"VK_INSERT", 45},
      {"VK_DELETE", 46},   {"VK_F1", 112},     {"VK_F2", 113},      {"VK_F3", 114},    {"VK_F4", 115},
      {"VK_F5", 116},      {"VK_F6", 117},     {"VK_F7", 118},      {"VK_F8", 119},    {"VK_F9", 120},
      {"VK_F10", 121},     {"VK_F11", 122},    {"VK_F12", 123},     {"MB_LEFT", 1},    {"MB_RIGHT", 2},
      {"MB_MIDDLE", 3},
  };
  for (const auto& [n, v] : kNames) {
    if (SDL_strcasecmp(n, name.c_str()) == 0) {
      value = v;
      return true;
    }
  }
  return false;
}

double ConstantValue(const std::string& name) {
  double value = 0;
  const auto& lookup = Input_Hooks().constant;
  if (lookup && lookup(name, value)) return value;
  if (FallbackConstant(name, value)) return value;
  return 0;
}

int ToInt(const std::string& text) {
  if (text.empty()) return 0;
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace

int IO_KeyName_To_Code(const std::string& text) {
  if (text.rfind("VK_", 0) == 0) return static_cast<int>(ConstantValue(text));
  if (text.rfind("MB_", 0) == 0) return 0;
  return text.empty() ? 0 : static_cast<unsigned char>(text[0]);
}

VirtualKey* IO_VirtualKey_FindFree() {
  for (VirtualKey& k : I().virtualKeys) {
    if (k.flags == 0) return &k;
  }
  return nullptr;
}

void IO_VirtualKey_Delete(int index) {
  if (index < 0 || index >= kVirtualKeyCount) return;
  VirtualKey& k = I().virtualKeys[static_cast<size_t>(index)];
  uint16_t id = k.id;
  k = {};
  k.id = id;
}

std::array<VirtualKey, kVirtualKeyCount>& IO_VirtualKeys() { return I().virtualKeys; }

void IO_Read_Virtual_Buttons(const std::function<std::string(const std::string&, const std::string&)>& read) {
  if (!read) return;
  int count = ToInt(read("IO_VIRTUAL_BUTTONS", "NUM_BUTTONS"));
  for (int i = 0; i < count; ++i) {
    VirtualKey* k = IO_VirtualKey_FindFree();
    if (k == nullptr) break;  // every record is taken
    std::string section = "IO_BUTTON_" + std::to_string(i);
    k->flags = 1;
    k->x = ToInt(read(section, "X"));
    k->y = ToInt(read(section, "Y"));
    k->w = ToInt(read(section, "W"));
    k->h = ToInt(read(section, "H"));
    k->u = ToInt(read(section, "U"));
    k->v = ToInt(read(section, "V"));
    k->right = k->x + k->w;
    k->bottom = k->y + k->h;
    std::string key = read(section, "KEY");
    if (key.rfind("VK_", 0) == 0) {
      k->key = static_cast<int>(ConstantValue(key)) & 255;
    } else if (key.rfind("MB_", 0) == 0 || key.empty() || (key[0] >= '0' && key[0] <= '9')) {
      k->key = 0;
    } else {
      k->key = static_cast<unsigned char>(key[0]);
    }
    std::string button = read(section, "BUTTON");
    k->button = button.rfind("MB_", 0) == 0 ? static_cast<int>(ConstantValue(button)) : 0;
  }
}

void IO_Draw_Virtual_Buttons() {
  InputGlobals& g = I();
  int shown = 0;
  for (const VirtualKey& k : g.virtualKeys) shown += (k.flags & 2) ? 1 : 0;
  if (shown == 0) return;
  int scaleWidth = 0, scaleHeight = 0;
  if (!ScaleSize(scaleWidth, scaleHeight)) {
    scaleWidth = GR_Window_Get_Width();
    scaleHeight = GR_Window_Get_Height();
  }
  int windowWidth = 0, windowHeight = 0;
  Window_ClientSize(windowWidth, windowHeight);
  if (Graphics_Hooks().overlayBegin) Graphics_Hooks().overlayBegin();
  auto* v = static_cast<Vertex24*>(GR_D3D_Batch_Reserve(4, nullptr, 24, 6 * shown));
  if (v != nullptr) {
    auto scale = [](int value, int window, int size) {
      return static_cast<float>(static_cast<double>(value) * window / size);
    };
    for (const VirtualKey& k : g.virtualKeys) {
      if ((k.flags & 2) == 0) continue;
      float x1 = scale(k.x, windowWidth, scaleWidth), x2 = scale(k.right, windowWidth, scaleWidth);
      float y1 = scale(k.y, windowHeight, scaleHeight), y2 = scale(k.bottom, windowHeight, scaleHeight);
      const float corners[6][2] = {{x1, y1}, {x2, y1}, {x2, y2}, {x2, y2}, {x1, y2}, {x1, y1}};
      for (const auto& c : corners) *v++ = {c[0], c[1], 0.5f, 0xFFFFFFFFu, 0.0f, 0.0f};
    }
  }
  if (Graphics_Hooks().overlayEnd) Graphics_Hooks().overlayEnd();
}

// Input state: the step's take-over, the key and mouse handlers, typed text, the key
// map, recording and playback files, and virtual keys.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "runner/input.h"
#include "runner/window.h"
#include "support/game_data_writer.h"
#include "support/runner_process.h"

class InputTest : public ::testing::Test {
 protected:
  // The first step of a process makes the pending state equal to the current one.
  void SetUp() override {
    IO_Init("", "");
    IO_Start_Step();
  }
  void TearDown() override { IO_Free(); }
};

TEST_F(InputTest, PressHoldAndReleaseAcrossSteps) {
  IO_Key_Down(65);
  IO_Key_Down(65);  // a repeat does not press again
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check(65));
  EXPECT_TRUE(IO_Keyboard_Check_Pressed(65));
  EXPECT_EQ(IO_KeyboardLastKey_Get(), 65);
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check(65));
  EXPECT_FALSE(IO_Keyboard_Check_Pressed(65));
  IO_Key_Up(65);
  IO_Start_Step();
  EXPECT_FALSE(IO_Keyboard_Check(65));
  EXPECT_TRUE(IO_Keyboard_Check_Released(65));
  EXPECT_EQ(IO_State().key, 0);
  IO_Start_Step();
  EXPECT_FALSE(IO_Keyboard_Check_Released(65));

  // A press and release inside one step still shows both.
  IO_Key_Down(66);
  IO_Key_Up(66);
  IO_Start_Step();
  EXPECT_FALSE(IO_Keyboard_Check(66));
  EXPECT_TRUE(IO_Keyboard_Check_Released(66));

  EXPECT_FALSE(IO_Keyboard_Check(300));
  EXPECT_FALSE(IO_Keyboard_Check(-1));
  IO_Key_Down(300);  // ignored
}

TEST_F(InputTest, KeyMapAndMouse) {
  IO_Keyboard_Set_Map(65, 66);
  EXPECT_EQ(IO_Keyboard_Get_Map(65), 66);
  IO_Keyboard_Set_Map(67, -5);  // a mapped code outside 0..255 is refused
  EXPECT_EQ(IO_Keyboard_Get_Map(67), 67);
  IO_Key_Down(65);
  IO_Mouse_Down(1, 0, 0);
  IO_Mouse_WheelUp();
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check(66));
  EXPECT_FALSE(IO_Keyboard_Check(65));
  EXPECT_TRUE(IO_Mouse_Check(1, 0));
  EXPECT_TRUE(IO_Mouse_Check_Pressed(1, 0));
  EXPECT_EQ(IO_MouseButton_Get(), 1);
  EXPECT_TRUE(IO_Mouse_Wheel_Up(0));
  EXPECT_FALSE(IO_Mouse_Check(4, 0));
  EXPECT_FALSE(IO_Mouse_Check(1, 5));
  IO_Mouse_Up(1, 0, 0);
  IO_Start_Step();
  EXPECT_TRUE(IO_Mouse_Check_Released(1, 0));
  EXPECT_EQ(IO_MouseButton_Get(), 0);
  EXPECT_FALSE(IO_Mouse_Wheel_Up(0));
  IO_Keyboard_Unset_Map();
  EXPECT_EQ(IO_Keyboard_Get_Map(65), 65);
}

TEST_F(InputTest, TypedText) {
  IO_Char(8);  // backspace on an empty string
  IO_Start_Step();
  EXPECT_EQ(IO_KeyboardString_Get(), u"");
  for (char16_t c : std::u16string(u"abc")) IO_Char(c);
  IO_Char(8);
  IO_Char(9);  // other control characters are ignored
  IO_Char(0x263A);
  IO_Start_Step();
  EXPECT_EQ(IO_KeyboardString_Get(), u"ab\u263a");
  EXPECT_EQ(IO_State().lastChar, 0x3A);
  // At 1023 units the buffer starts again.
  IO_KeyboardString_Set(u"");
  for (int i = 0; i < 1023; ++i) IO_Char('x');
  IO_Char('y');
  IO_Start_Step();
  EXPECT_EQ(IO_KeyboardString_Get(), u"y");
}

TEST(InputRecording, FrameLayoutIs2939BytesInTheFormatsOrder) {
  InputFrame frame;
  frame.lastChar = 0x0102;
  frame.keyboardString[0] = u'A';
  frame.lastKey = 0x41;
  frame.keyDown[37] = 1;
  frame.mouseLastButton[0] = 2;
  frame.mouseDown[0][1] = 1;
  frame.mouseReleased[0][2] = 1;
  frame.mousePressed[0][0] = 1;
  frame.windowMouseY = -3;
  auto bytes = IO_EncodeFrame(frame);
  EXPECT_EQ(bytes.size(), 2939u);
  EXPECT_EQ(bytes[0], 0x02);
  EXPECT_EQ(bytes[1], 0x01);
  EXPECT_EQ(bytes[2], 'A');
  EXPECT_EQ(bytes[2052], 0x41);           // lastKey after the 2,050-byte string
  EXPECT_EQ(bytes[2060 + 37], 1);         // keyDown
  EXPECT_EQ(bytes[2828], 2);              // mouseLastButton[0]
  EXPECT_EQ(bytes[2868 + 1], 1);          // mouseDown[0][1]
  EXPECT_EQ(bytes[2883 + 2], 1);          // mouseReleased before mousePressed
  EXPECT_EQ(bytes[2898 + 0], 1);
  EXPECT_EQ(bytes[2935], 0xFD);           // windowMouseY, little-endian
  EXPECT_EQ(bytes[2938], 0xFF);
  InputFrame back;
  ASSERT_TRUE(IO_DecodeFrame(bytes.data(), bytes.size(), back));
  EXPECT_EQ(IO_EncodeFrame(back), bytes);

  // Frames no recording could hold are refused.
  auto damaged = bytes;
  for (size_t i = 2; i < 2052; ++i) damaged[i] = 'z';  // no terminator
  EXPECT_FALSE(IO_DecodeFrame(damaged.data(), damaged.size(), back));
  damaged = bytes;
  damaged[2060] = 7;  // a flag that is neither 0 nor 1
  EXPECT_FALSE(IO_DecodeFrame(damaged.data(), damaged.size(), back));
  EXPECT_FALSE(IO_DecodeFrame(bytes.data(), 100, back));
}

TEST(InputRecording, RecordThenPlayBackRoundTrip) {
  TempFolder folder;
  std::string file = folder / "input.rec";
  // Record three steps of live input.
  IO_Init(file, "");
  EXPECT_TRUE(IO_Recording());
  IO_Start_Step();
  std::vector<std::array<uint8_t, kRecordFrameBytes>> recorded;
  IO_Key_Down(39);
  IO_Char('q');
  IO_Start_Step();
  recorded.push_back(IO_EncodeFrame(IO_State()));
  IO_Mouse_Down(3, 0, 0);
  IO_Start_Step();
  recorded.push_back(IO_EncodeFrame(IO_State()));
  IO_Key_Up(39);
  IO_Start_Step();
  recorded.push_back(IO_EncodeFrame(IO_State()));
  IO_Free();
  EXPECT_EQ(std::filesystem::file_size(file), 4 * kRecordFrameBytes);

  // Play it back: live input is ignored, each step reads its frame, and after the end
  // the last frame's held state stays while pressed and released flags clear.
  IO_Init("", file);
  EXPECT_TRUE(IO_PlayingBack());
  IO_Key_Down(40);
  IO_Start_Step();  // the first recorded step
  for (const auto& expected : recorded) {
    IO_Start_Step();
    EXPECT_EQ(IO_EncodeFrame(IO_State()), expected);
  }
  EXPECT_FALSE(IO_Keyboard_Check(40));
  EXPECT_TRUE(IO_Keyboard_Check_Released(39));
  IO_Start_Step();
  EXPECT_FALSE(IO_Keyboard_Check_Released(39));
  EXPECT_TRUE(IO_Mouse_Check(3, 0));
  IO_Free();

  // Playback wins over recording: the file is read, never written.
  IO_Init(true, true, file);
  EXPECT_TRUE(IO_PlayingBack());
  EXPECT_FALSE(IO_Recording());
  IO_Start_Step();
  IO_Free();
  EXPECT_EQ(std::filesystem::file_size(file), 4 * kRecordFrameBytes);
}

TEST(InputRecording, AFailedWriteStopsTheRecordingAndSaysSo) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no device that is always full";
  ConsoleCapture console;
  IO_Init("/dev/full", "");
  ASSERT_TRUE(IO_Recording());
  IO_Start_Step();
  EXPECT_FALSE(IO_Recording());
  EXPECT_TRUE(console.Contains("Recording file could not be written: /dev/full")) << console.Text();
  IO_Key_Down(72);
  IO_Start_Step();  // live input goes on
  EXPECT_TRUE(IO_Keyboard_Check(72));
  IO_Free();
}

TEST(InputRecording, DamagedPlaybackFilesAreRefusedCleanly) {
  TempFolder folder;
  // Not a whole number of frames: refused at start, live input is used.
  std::string cut = folder / "cut.rec";
  {
    std::ofstream out(cut, std::ios::binary);
    std::string bytes(kRecordFrameBytes + 17, '\0');
    out << bytes;
  }
  IO_Init("", cut);
  EXPECT_FALSE(IO_PlayingBack());
  IO_Start_Step();
  IO_Key_Down(70);
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check(70));
  IO_Free();

  // A damaged second frame: the first plays, then the state stays as it was.
  std::string bad = folder / "bad.rec";
  {
    InputFrame frame;
    frame.keyDown[71] = 1;
    auto good = IO_EncodeFrame(frame);
    auto broken = good;
    std::fill(broken.begin() + 2, broken.begin() + 2052, 'z');
    std::ofstream out(bad, std::ios::binary);
    out.write(reinterpret_cast<const char*>(good.data()), static_cast<std::streamsize>(good.size()));
    out.write(reinterpret_cast<const char*>(broken.data()), static_cast<std::streamsize>(broken.size()));
  }
  IO_Init("", bad);
  ASSERT_TRUE(IO_PlayingBack());
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check(71));
  EXPECT_FALSE(IO_Record_Read());
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check(71));
  EXPECT_EQ(IO_KeyboardString_Get(), u"");
  IO_Free();

  // A missing file: live input.
  IO_Init("", folder / "missing.rec");
  EXPECT_FALSE(IO_PlayingBack());
  IO_Free();
}

TEST_F(InputTest, VirtualKeysFromOptionsAndTouches) {
  std::map<std::pair<std::string, std::string>, std::string> ini = {
      {{"IO_VIRTUAL_BUTTONS", "NUM_BUTTONS"}, "200"},
      {{"IO_BUTTON_0", "X"}, "10"}, {{"IO_BUTTON_0", "Y"}, "20"}, {{"IO_BUTTON_0", "W"}, "30"},
      {{"IO_BUTTON_0", "H"}, "40"}, {{"IO_BUTTON_0", "KEY"}, "VK_LEFT"},
      {{"IO_BUTTON_1", "X"}, "100"}, {{"IO_BUTTON_1", "W"}, "10"}, {{"IO_BUTTON_1", "H"}, "10"},
      {{"IO_BUTTON_1", "KEY"}, "MB_LEFT"}, {{"IO_BUTTON_1", "BUTTON"}, "MB_RIGHT"},
      {{"IO_BUTTON_2", "KEY"}, "Q"},
  };
  IO_Read_Virtual_Buttons([&](const std::string& section, const std::string& key) {
    auto it = ini.find({section, key});
    return it == ini.end() ? std::string() : it->second;
  });
  auto& keys = IO_VirtualKeys();
  EXPECT_EQ(keys[0].key, 37);
  EXPECT_EQ(keys[0].right, 40);
  EXPECT_EQ(keys[0].bottom, 60);
  EXPECT_EQ(keys[1].key, 0);
  EXPECT_EQ(keys[1].button, 2);
  EXPECT_EQ(keys[2].key, 'Q');
  EXPECT_EQ(keys[127].flags, 1);  // 200 asked for, 128 taken, no overrun
  EXPECT_EQ(IO_VirtualKey_FindFree(), nullptr);
  IO_VirtualKey_Delete(127);
  EXPECT_EQ(IO_VirtualKey_FindFree(), &keys[127]);

  Input_Hooks().scaleSize = [](int& w, int& h) {
    MainWindow().requestedWidth = w = 640;
    MainWindow().requestedHeight = h = 480;
    return true;
  };
  IO_Touch(0, 15, 25);
  IO_Touch(1, 105, 5);
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check_Pressed(37));
  EXPECT_FALSE(IO_Keyboard_Check(37));  // pressed, not yet held, in its first step
  EXPECT_TRUE(IO_Mouse_Check_Pressed(2, 0));
  IO_Touch(0, 15, 25);
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check(37));
  IO_Start_Step();
  EXPECT_TRUE(IO_Keyboard_Check_Released(37));
  Input_Hooks() = {};
}

#include "functions/input_functions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "functions/builtin_call.h"
#include "runner/input.h"

namespace {

class InputBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    IO_Start_Step();  // past the first take-over, which starts the pending state afresh
    IO_Clear();
    IO_Keyboard_Unset_Map();
  }
  void TearDown() override {
    IO_Clear();
    IO_Keyboard_Unset_Map();
    for (int i = 0; i < kVirtualKeyCount; ++i) IO_VirtualKey_Delete(i);
  }
};

double Call(BuiltinFunction fn, std::vector<ScriptValue> args) { return CallBuiltin(fn, std::move(args)).real; }

TEST_F(InputBuiltins, KeyboardChecksOverSelectorsAndRange) {
  InputFrame& s = IO_State();
  s.keyDown[65] = 1;      // held since an earlier step
  s.keyPressed[66] = 1;   // went down this step
  s.keyDown[66] = 1;
  s.keyReleased[67] = 1;  // went up this step
  struct Case {
    BuiltinFunction fn;
    double key;
    double expected;
  };
  const Case cases[] = {
      {F_KeyboardCheck, 65, 1},         {F_KeyboardCheck, 66, 1},         {F_KeyboardCheck, 67, 0},
      {F_KeyboardCheck, 1, 1},          {F_KeyboardCheck, 0, 0},          {F_KeyboardCheck, 256, 0},
      {F_KeyboardCheck, -1, 0},         {F_KeyboardCheck, 64.5, 0},       {F_KeyboardCheck, 65.5, 1},
      {F_KeyboardCheckPressed, 66, 1},  {F_KeyboardCheckPressed, 65, 0},  {F_KeyboardCheckPressed, 1, 1},
      {F_KeyboardCheckPressed, 0, 0},   {F_KeyboardCheckPressed, 300, 0}, {F_KeyboardCheckReleased, 67, 1},
      {F_KeyboardCheckReleased, 66, 0}, {F_KeyboardCheckReleased, 1, 1},  {F_KeyboardCheckReleased, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Call(c.fn, {R(c.key)}), c.expected) << c.key;

  IO_Clear();
  EXPECT_EQ(Call(F_KeyboardCheck, {R(0)}), 1);  // no key held
  EXPECT_EQ(Call(F_KeyboardCheck, {R(1)}), 0);
  EXPECT_EQ(Call(F_KeyboardCheckReleased, {R(0)}), 1);
}

TEST_F(InputBuiltins, SynthesisedStrokesMapsAndClear) {
  // A synthesised stroke reaches the pending state (the direct test) and the step's state
  // only after the take-over.
  CallBuiltin(F_KeyboardKeyPress, {R(70)});
  EXPECT_EQ(Call(F_KeyboardCheckDirect, {R(70)}), 1);
  EXPECT_EQ(Call(F_KeyboardCheck, {R(70)}), 0);
  IO_Start_Step();
  EXPECT_EQ(Call(F_KeyboardCheck, {R(70)}), 1);
  EXPECT_EQ(Call(F_KeyboardCheckPressed, {R(70)}), 1);
  CallBuiltin(F_KeyboardKeyRelease, {R(70)});
  IO_Start_Step();
  EXPECT_EQ(Call(F_KeyboardCheck, {R(70)}), 0);
  EXPECT_EQ(Call(F_KeyboardCheckReleased, {R(70)}), 1);
  EXPECT_EQ(Call(F_KeyboardCheckDirect, {R(999)}), 0);
  CallBuiltin(F_KeyboardKeyPress, {R(-5)});  // out of range: nothing happens
  CallBuiltin(F_KeyboardKeyPress, {R(1e12)});

  // The map: 65 is reported as 66 until unset; out-of-range codes leave it alone.
  CallBuiltin(F_KeyboardSetMap, {R(65), R(66)});
  CallBuiltin(F_KeyboardSetMap, {R(65), R(400)});
  CallBuiltin(F_KeyboardSetMap, {R(-1), R(66)});
  EXPECT_EQ(Call(F_KeyboardGetMap, {R(65)}), 66);
  EXPECT_EQ(Call(F_KeyboardGetMap, {R(300)}), 0);
  CallBuiltin(F_KeyboardKeyPress, {R(65)});
  IO_Start_Step();
  EXPECT_EQ(Call(F_KeyboardCheck, {R(66)}), 1);
  EXPECT_EQ(Call(F_KeyboardCheck, {R(65)}), 0);
  CallBuiltin(F_KeyboardUnsetMap, {});
  EXPECT_EQ(Call(F_KeyboardGetMap, {R(65)}), 65);

  // keyboard_clear forgets one key (in both states); io_clear forgets everything.
  CallBuiltin(F_KeyboardClear, {R(66)});
  EXPECT_EQ(Call(F_KeyboardCheck, {R(66)}), 0);
  IO_Start_Step();
  EXPECT_EQ(Call(F_KeyboardCheck, {R(66)}), 0);
  IO_State().keyDown[90] = 1;
  IO_State().mouseDown[0][0] = 1;
  CallBuiltin(F_IoClear, {});
  EXPECT_EQ(Call(F_KeyboardCheck, {R(1)}), 0);
  EXPECT_EQ(Call(F_MouseCheckButton, {R(-1)}), 0);
}

TEST_F(InputBuiltins, MouseButtonsOnDevices) {
  InputFrame& s = IO_State();
  s.mouseDown[0][2] = 1;      // middle held on device 0
  s.mousePressed[0][0] = 1;   // left pressed on device 0
  s.mouseDown[0][0] = 1;
  s.mouseReleased[2][1] = 1;  // right released on device 2
  s.wheelDown[0] = 1;
  struct Case {
    BuiltinFunction fn;
    std::vector<double> args;
    double expected;
  };
  const Case cases[] = {
      {F_MouseCheckButton, {3}, 1},
      {F_MouseCheckButton, {-1}, 1},
      {F_MouseCheckButton, {0}, 0},
      {F_MouseCheckButton, {2}, 0},
      {F_MouseCheckButton, {4}, 0},
      {F_MouseCheckButton, {-2}, 0},
      {F_MouseCheckButtonPressed, {1}, 1},
      {F_MouseCheckButtonPressed, {3}, 0},
      {F_MouseCheckButtonReleased, {0}, 1},
      {F_DeviceMouseCheckButtonReleased, {2, 2}, 1},
      {F_DeviceMouseCheckButtonReleased, {2, -1}, 1},
      {F_DeviceMouseCheckButtonReleased, {2, 0}, 0},
      {F_DeviceMouseCheckButton, {2, 0}, 1},
      {F_DeviceMouseCheckButton, {5, -1}, 0},
      {F_DeviceMouseCheckButton, {-1, 0}, 1},  // no device: no button held there
      {F_DeviceMouseCheckButtonPressed, {0, 1}, 1},
      {F_DeviceMouseRawX, {5}, 0},
      {F_DeviceMouseRawY, {-1}, 0},
      {F_MouseWheelDown, {}, 1},
      {F_MouseWheelUp, {}, 0},
  };
  for (const Case& c : cases) {
    std::vector<ScriptValue> args;
    for (double a : c.args) args.push_back(R(a));
    EXPECT_EQ(Call(c.fn, args), c.expected) << (c.args.empty() ? 0 : c.args.back());
  }
  CallBuiltin(F_MouseClear, {R(3)});
  EXPECT_EQ(Call(F_MouseCheckButton, {R(3)}), 0);
  EXPECT_EQ(Call(F_MouseCheckButton, {R(1)}), 1);
}

TEST_F(InputBuiltins, WaitsReturnWithoutAWindow) {
  CallBuiltin(F_KeyboardWait, {});
  CallBuiltin(F_MouseWait, {});
  EXPECT_EQ(IO_KeyboardLastKey_Get(), 0);
}

TEST_F(InputBuiltins, DoubleClickFlagTakesOneReal) {
  CallBuiltin(F_DeviceMouseDbclickEnable, {R(0)});
  EXPECT_FALSE(Input_DoubleClickEnabled());
  CallBuiltin(F_DeviceMouseDbclickEnable, {S("1")});
  CallBuiltin(F_DeviceMouseDbclickEnable, {R(1), R(1)});
  EXPECT_FALSE(Input_DoubleClickEnabled());
  CallBuiltin(F_DeviceMouseDbclickEnable, {R(0.6)});
  EXPECT_TRUE(Input_DoubleClickEnabled());
}

TEST_F(InputBuiltins, MissingJoysticksGiveDefaults) {
  for (double id : {0.0, 1.0, 2.0}) {
    EXPECT_EQ(Call(F_JoystickExists, {R(id)}), 0);
    EXPECT_EQ(Call(F_JoystickDirection, {R(id)}), 101);
    EXPECT_EQ(CallBuiltin(F_JoystickName, {R(id)}).Text(), "");
    EXPECT_TRUE(CallBuiltin(F_JoystickName, {R(id)}).IsString());
    EXPECT_EQ(Call(F_JoystickAxes, {R(id)}), 0);
    EXPECT_EQ(Call(F_JoystickButtons, {R(id)}), 0);
    EXPECT_EQ(Call(F_JoystickHasPov, {R(id)}), 0);
    EXPECT_EQ(Call(F_JoystickCheckButton, {R(id), R(1)}), 0);
    EXPECT_EQ(Call(F_JoystickXpos, {R(id)}), 0);
    EXPECT_EQ(Call(F_JoystickVpos, {R(id)}), 0);
    EXPECT_EQ(Call(F_JoystickPov, {R(id)}), -1);
  }
}

TEST(JoystickArithmetic, DirectionAxesAndPov) {
  struct Case {
    uint32_t x, y;
    int expected;
  };
  const Case directions[] = {
      {0, 0, 103},         {32767, 0, 104},     {65535, 0, 105},     {0, 32767, 100},     {32767, 32767, 101},
      {65535, 32767, 102}, {0, 65535, 97},      {32767, 65535, 98},  {65535, 65535, 99},  {20000, 20000, 101},
      {44000, 44000, 101}, {44001, 19999, 105},
  };
  for (const Case& c : directions) EXPECT_EQ(Joystick_Direction(c.x, c.y), c.expected) << c.x << "," << c.y;
  EXPECT_EQ(Joystick_AxisValue(32767), 0.0);
  EXPECT_EQ(Joystick_AxisValue(0), -1.0);
  EXPECT_NEAR(Joystick_AxisValue(65535), 1.00003, 1e-5);
  EXPECT_EQ(Joystick_PovDegrees(65535), -1.0);
  EXPECT_EQ(Joystick_PovDegrees(9000), 90.0);
  EXPECT_EQ(Joystick_PovDegrees(36000), 360.0);
  EXPECT_EQ(Joystick_PovDegrees(36001), -1.0);
}

TEST_F(InputBuiltins, VirtualKeys) {
  ConsoleCapture capture;
  double handle = Call(F_VirtualKeyAdd, {R(10.9), R(20), R(30), R(40.7), R(65)});
  ASSERT_GE(handle, 1);
  const VirtualKey& key = IO_VirtualKeys()[static_cast<size_t>(handle - 1)];
  EXPECT_EQ(key.flags, 1);
  EXPECT_EQ(key.x, 10);
  EXPECT_EQ(key.right, 40);
  EXPECT_EQ(key.bottom, 60);
  EXPECT_EQ(key.key, 65);
  CallBuiltin(F_VirtualKeyShow, {R(handle)});
  EXPECT_EQ(key.flags, 3);
  CallBuiltin(F_VirtualKeyHide, {R(handle)});
  EXPECT_EQ(key.flags, 1);
  EXPECT_TRUE(capture.Text().empty()) << capture.Text();

  struct Case {
    BuiltinFunction fn;
    std::vector<ScriptValue> args;
    std::string message;
  };
  const Case errors[] = {
      {F_VirtualKeyAdd, {R(0), S("1"), R(1), R(1), R(65)}, "Illegal argument type"},
      {F_VirtualKeyAdd, {R(0), R(1), R(1), R(1)}, "Illegal argument count"},
      {F_VirtualKeyDelete, {R(0)}, "Illegal virtual key handle"},
      {F_VirtualKeyShow, {R(kVirtualKeyCount + 1)}, "Illegal virtual key handle"},
      {F_VirtualKeyHide, {S("1")}, "Illegal argument"},
      {F_VirtualKeyDelete, {}, "Illegal argument count"},
  };
  for (const Case& c : errors) {
    capture.Clear();
    ScriptValue result = CallBuiltin(c.fn, c.args);
    EXPECT_EQ(result.real, 0);
    EXPECT_TRUE(capture.Contains(c.message)) << c.message << ": " << capture.Text();
  }
  EXPECT_EQ(key.flags, 1);
  CallBuiltin(F_VirtualKeyDelete, {R(handle)});
  EXPECT_EQ(key.flags, 0);
}

}  // namespace

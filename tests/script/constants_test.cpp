#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "compiler_fixture.h"
#include "script/builtin_constants.h"
#include "script/constants.h"

namespace {

TEST(Constants, BuiltinListHasEveryNameOnceInOrder) {
  auto list = Constant_BuiltinList();
  ASSERT_EQ(list.size(), 320u);
  EXPECT_STREQ(list.front().name, "self");
  EXPECT_STREQ(list.back().name, "audio_falloff_exponent_distance_clamped");
  std::set<std::string> names;
  for (const BuiltinConstant& c : list) EXPECT_TRUE(names.insert(c.name).second) << c.name;
}

TEST(Constants, PlatformConstantsFollowTheBuiltinOnes) {
  CompilerFixture_Init();
  auto list = Constant_EnvironmentList();
  ASSERT_EQ(list.size(), 26u);
  EXPECT_STREQ(list.front().name, "os_win32");
  EXPECT_STREQ(list.back().name, "leaderboard_type_time_mins_secs");
  const std::pair<const char*, double> cases[] = {
      {"os_windows", 0},         {"os_macosx", 1},          {"os_linux", 6},
      {"device_ios_unknown", -1}, {"device_ios_ipad_retina", 3}, {"browser_not_a_browser", -1},
      {"browser_opera", 6},      {"of_challenge_tie", 2},   {"leaderboard_type_time_mins_secs", 1},
  };
  for (const auto& [name, expected] : cases) {
    ScriptValue value;
    ASSERT_TRUE(Constant_Resolve(name, value)) << name;
    EXPECT_EQ(value.real, expected) << name;
  }
}

TEST(Constants, BuiltinValues) {
  CompilerFixture_Init();
  struct Case {
    const char* name;
    double value;
  };
  const Case cases[] = {
      {"local", -7},          {"c_orange", 4235519},       {"c_silver", 12632256},
      {"bm_src_alpha_sat", 11}, {"fa_directory", 16},      {"mb_any", -1},
      {"vk_enter", 13},       {"vk_return", 13},           {"vk_alt", 18},
      {"vk_printscreen", 44}, {"vk_pageup", 33},           {"vk_pagedown", 34},
      {"vk_f12", 123},        {"vk_numpad9", 105},         {"vk_divide", 111},
      {"vk_decimal", 110},    {"vk_lshift", 160},          {"vk_ralt", 165},
      {"ev_step", 3},         {"ev_alarm", 2},             {"ev_joystick2_button8", 43},
      {"ev_close_button", 30}, {"ev_step_end", 2},         {"dll_stdcall", 1},
      {"cr_size_all", -22},   {"pt_shape_smoke", 12},      {"ps_change_motion", 2},
      {"ef_snow", 11},        {"display_portrait", 1},     {"phy_joint_angle", 8},
      {"phy_joint_motor_speed", 7}, {"phy_debug_render_collision_pairs", 64},
      {"audio_falloff_linear_distance_clamped", 4},
  };
  for (const Case& c : cases) {
    ScriptValue value;
    ASSERT_TRUE(Constant_Resolve(c.name, value)) << c.name;
    EXPECT_EQ(value.real, c.value) << c.name;
  }
  ScriptValue pi;
  ASSERT_TRUE(Constant_Resolve("pi", pi));
  EXPECT_EQ(pi.real, static_cast<double>(static_cast<float>(M_PI)));
  EXPECT_EQ(pi.real, 3.1415927410125732);
}

TEST(Constants, FindIgnoresCaseAndResolveDoesNot) {
  CompilerFixture_Init();
  const double* red = Constant_Find("C_RED");
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(*red, 255);
  ScriptValue value;
  EXPECT_FALSE(Constant_Resolve("C_RED", value));
  EXPECT_EQ(Constant_Find("no_such_constant"), nullptr);
}

TEST(Constants, ValidNames) {
  EXPECT_TRUE(Constant_IsValidName("_"));
  EXPECT_TRUE(Constant_IsValidName("a_1"));
  EXPECT_FALSE(Constant_IsValidName(""));
  EXPECT_FALSE(Constant_IsValidName("2x"));
  EXPECT_FALSE(Constant_IsValidName("a-b"));
  EXPECT_FALSE(Constant_IsValidName("a b"));
}

class ConstantsWithResources : public ::testing::Test {
 protected:
  void SetUp() override {
    CompilerFixture_Init();
    Constant_SetResourceFinder(ResourceKind::Object, [](std::string_view name, int32_t& index) {
      if (name != "thing") return false;
      index = 3;
      return true;
    });
    Constant_SetResourceFinder(ResourceKind::Sprite, [](std::string_view name, int32_t& index) {
      if (name != "thing" && name != "spr_hero") return false;
      index = name == "thing" ? 7 : 2;
      return true;
    });
    Constant_SetMessageSink([this](const std::string& text) { messages_.push_back(text); });
  }
  void TearDown() override {
    Constant_SetResourceFinder(ResourceKind::Object, nullptr);
    Constant_SetResourceFinder(ResourceKind::Sprite, nullptr);
    Constant_SetMessageSink(nullptr);
  }
  std::vector<std::string> messages_;
};

TEST_F(ConstantsWithResources, ResourcesResolveFirstInKindOrder) {
  ASSERT_TRUE(Constant_Define("spr_hero", "99"));
  ScriptValue value;
  ASSERT_TRUE(Constant_Resolve("thing", value));
  EXPECT_EQ(value.real, 3);  // the object hides the sprite
  ASSERT_TRUE(Constant_Resolve("spr_hero", value));
  EXPECT_EQ(value.real, 2);  // the sprite hides the user constant
  CompileResult result = CompileText("x = spr_hero.y");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(TreeText(result.code->Root()), "{(= x@-6 y@2)}");
}

TEST_F(ConstantsWithResources, UserConstantsUseEarlierOnesAndTheNewestWins) {
  ASSERT_TRUE(Constant_Define("k_first", "c_red + 1"));
  ASSERT_TRUE(Constant_Define("k_second", "k_first * 2"));
  ASSERT_TRUE(Constant_Define("k_text", "'a' + 'b'"));
  ScriptValue value;
  ASSERT_TRUE(Constant_Resolve("k_second", value));
  EXPECT_EQ(value.real, 512);
  ASSERT_TRUE(Constant_Resolve("k_text", value));
  EXPECT_EQ(value.Text(), "ab");
  ASSERT_TRUE(Constant_Define("k_first", "1"));
  ASSERT_TRUE(Constant_Resolve("k_first", value));
  EXPECT_EQ(value.real, 1);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ConstantsWithResources, InvalidNamesAndValuesShowTheirMessages) {
  EXPECT_FALSE(Constant_Define("2x", "1"));
  EXPECT_FALSE(Constant_Define("k_bad", "1 +"));
  EXPECT_FALSE(Constant_Define("k_zero", "1 / 0"));
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_EQ(messages_[0], "Constant name 2x  is not valid.");
  EXPECT_EQ(messages_[1], "Value for constant k_bad  is not valid.");
  EXPECT_EQ(messages_[2], "Value for constant k_zero  is not valid.");
  ScriptValue value;
  EXPECT_FALSE(Constant_Resolve("k_bad", value));
}

TEST_F(ConstantsWithResources, ValueThatNeedsRunningFailsWhenTheRunFails) {
  // A name defined later is an unknown variable when the value runs; under the tree
  // interpreter a run for no instance fails.
  Code_SetUseVM(false);
  EXPECT_FALSE(Constant_Define("k_early", "k_later + 1"));
  Code_SetUseVM(true);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Value for constant k_early  is not valid.");
}

TEST_F(ConstantsWithResources, PrepareStopsAtTheFirstFailure) {
  const std::vector<std::pair<std::string, std::string>> constants = {
      {"k_p1", "1"}, {"k p2", "2"}, {"k_p3", "3"}};
  EXPECT_FALSE(Code_Constant_Prepare(constants));
  ScriptValue value;
  EXPECT_TRUE(Constant_Resolve("k_p1", value));
  EXPECT_FALSE(Constant_Resolve("k_p3", value));
}

}  // namespace

namespace {

TEST_F(ConstantsWithResources, ValuesRunAsNumberedCodeForATemporaryInstance) {
  std::vector<std::string> names;
  Code_SetGenerator([&](CCode& code) {
    names.push_back(code.Name());
    code.SetBytecode(VMBuffer(std::vector<uint8_t>{0, 0, 0, 0}), VMBuffer());
    return true;
  });
  int provided = 0;
  int instance = 0;
  Constant_SetTemporaryInstanceProvider([&](const std::function<bool(CInstance*)>& body) {
    ++provided;
    return body(reinterpret_cast<CInstance*>(&instance));
  });
  Code_SetVMExecutor([&](const CCode&, CInstance* self, CInstance* other, ScriptValue& result) {
    EXPECT_EQ(self, reinterpret_cast<CInstance*>(&instance));
    EXPECT_EQ(other, self);
    result.SetReal(41);
  });
  EXPECT_TRUE(Constant_Define("k_run1", "k_not_defined_yet"));
  EXPECT_TRUE(Constant_Define("k_run2", "k_not_defined_yet + 1"));
  Code_SetGenerator(nullptr);
  Code_SetVMExecutor(nullptr);
  Constant_SetTemporaryInstanceProvider(nullptr);
  EXPECT_EQ(provided, 2);
  ASSERT_EQ(names.size(), 2u);
  ASSERT_EQ(names[0].rfind("Constant.", 0), 0u);
  EXPECT_EQ(std::stoi(names[1].substr(9)), std::stoi(names[0].substr(9)) + 1);
  ScriptValue value;
  ASSERT_TRUE(Constant_Resolve("k_run2", value));
  EXPECT_EQ(value.real, 41);
}

}  // namespace

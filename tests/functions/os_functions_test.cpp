#include "functions/file_functions.h"
#include "functions/os_functions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "functions/builtin_call.h"
#include "platform/file_locations.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

TEST(OsBuiltins, DigestsAndBase64) {
  struct Case {
    BuiltinFunction fn;
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {F_Md5StringUtf8, "abc", "900150983cd24fb0d6963f7d28e17f72"},
      {F_Md5StringUtf8, "", "d41d8cd98f00b204e9800998ecf8427e"},
      {F_Sha1StringUtf8, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {F_Md5StringUnicode, "abc", "ce1473cf80c6b3fda8e3dfc006adc315"},
      {F_Sha1StringUnicode, "abc", "9f04f41a848514162050e3d68c1a7abb441dc2b5"},
      {F_Base64Encode, "hello", "aGVsbG8="},
      {F_Base64Decode, "aGVsbG8=", "hello"},
      {F_Base64Decode, "YQBi", "a"},  // "a\0b": the text ends at the zero byte
  };
  for (const Case& c : cases) EXPECT_EQ(CallBuiltin(c.fn, {S(c.input)}).Text(), c.expected) << c.input;
  // A three-byte character (U+20AC) is one 16-bit unit: the digest covers its two bytes AC 20.
  EXPECT_EQ(CallBuiltin(F_Md5StringUnicode, {S("\xE2\x82\xAC")}).Text(),
            CallBuiltin(F_Md5StringUtf8, {S("\xAC\x20")}).Text());
  // Anything but one string argument gives the empty string.
  ScriptValue real = CallBuiltin(F_Md5StringUtf8, {R(3)});
  EXPECT_TRUE(real.IsString());
  EXPECT_EQ(real.Text(), "");
}

TEST(OsBuiltins, FileDigestsReadTheSaveAreaOrTheGameFolder) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("kf_os_" + std::to_string(::getpid()));
  fs::create_directories(folder / "save");
  std::ofstream(folder / "data.txt", std::ios::binary) << "abc";
  FileLocations_SetGameFolder(folder.string());
  FileLocations_SetSaveArea((folder / "save").string());
  EXPECT_EQ(CallBuiltin(F_Md5File, {S("data.txt")}).Text(), "900150983cd24fb0d6963f7d28e17f72");
  std::ofstream(folder / "save" / "data.txt", std::ios::binary) << "";
  EXPECT_EQ(CallBuiltin(F_Sha1File, {S("data.txt")}).Text(), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(CallBuiltin(F_Md5File, {S("missing.txt")}).Text(), "");
  FileLocations_Reset();
  fs::remove_all(folder);
}

TEST(OsBuiltins, LanguageOfLocale) {
  const std::pair<const char*, const char*> cases[] = {
      {"de_DE.UTF-8", "de"}, {"en_US", "en"}, {"gsw_CH", "gsw"}, {"fr", "fr"},
      {"C", "--"},           {"POSIX", "--"}, {"", "--"},         {"C.UTF-8", "--"},
  };
  for (const auto& [locale, code] : cases) EXPECT_EQ(Os_LanguageOfLocale(locale), code) << locale;
}

TEST(OsBuiltins, UrlOpenChecksItsArgument) {
  ConsoleCapture capture;
  CallBuiltin(F_UrlOpen, {R(1)});
  EXPECT_TRUE(capture.Contains("Illegal argument type"));
  CallBuiltin(F_UrlOpen, {S("a"), S("b")});
  EXPECT_TRUE(capture.Contains("Illegal argument count"));
  // Another scheme opens nothing (no opener is started).
  EXPECT_EQ(CallBuiltin(F_UrlOpen, {S("ftp://example.invalid")}).real, 0.0);
}

TEST(OsBuiltins, FixedAnswers) {
  EXPECT_EQ(CallBuiltin(F_DisplayGetDpi, {}).real, 96.0);
  EXPECT_EQ(CallBuiltin(F_ParameterString, {R(0)}).Text(), "");
  EXPECT_EQ(CallBuiltin(F_OsIsPaused, {}).real, 0.0);
  const double t1 = CallBuiltin(F_GetTimer, {}).real;
  EXPECT_GE(CallBuiltin(F_GetTimer, {}).real, t1);
}

// The platform family's names in their order, aliases beside their names; the interface-layer
// size is the window's until the game sets one.
TEST(OsBuiltins, PlatformBuiltInsAreRegisteredInTheirOrder) {
  FunctionTableGuard functions;
  Function_FreeAll();
  InitPlatformFunctions();
  Os_RegisterMiscFunctions();
  const std::pair<const char*, int32_t> order[] = {
      {"url_open", 1}, {"Tarn_OpenURL", 1}, {"url_open_ext", 2}, {"Tarn_OpenURL_ext", 2}, {"url_open_full", 3},
      {"Tarn_OpenURL_full", 3}, {"url_get_domain", 1}, {"os_get_config", 0}, {"Tarn_GetConfig", 0},
      {"os_get_language", 0}, {"os_is_network_connected", 0}, {"os_is_paused", 0}, {"Tarn_OSPauseEvent", 0},
      {"os_powersave_enable", 1}, {"os_lock_orientation", 1}, {"display_get_dpi_x", 0}, {"display_get_dpi_y", 0},
      {"display_set_gui_size", 2}, {"display_get_gui_width", 0}, {"display_get_gui_height", 0}, {"get_timer", 0},
      {"Tarn_GetTimer", 0}, {"draw_enable_alphablend", 1}, {"Tarn_EnableAlphaBlend", 1},
      {"draw_texture_flush", 0}, {"base64_encode", 1}, {"base64_decode", 1}, {"md5_string_utf8", 1},
      {"md5_string_unicode", 1}, {"md5_file", 1}, {"sha1_string_utf8", 1}, {"sha1_string_unicode", 1},
      {"sha1_file", 1}, {"set_program_priority", 1}, {"set_application_title", 1}, {"window_handle", 0},
      {"clipboard_has_text", 0}, {"clipboard_get_text", 0}, {"clipboard_set_text", 1}};
  // The achievement built-ins and the social, advertising and store built-ins (102 names with
  // their aliases) follow the platform's own 33, before the misc family's six.
  constexpr size_t kPlatformOwn = 33;
  constexpr int32_t kAchievementAndSocial = 102;
  for (size_t i = 0; i < std::size(order); ++i) {
    int32_t id = -1;
    ASSERT_TRUE(Function_Find(order[i].first, id)) << order[i].first;
    EXPECT_EQ(id, static_cast<int32_t>(i) + (i < kPlatformOwn ? 0 : kAchievementAndSocial)) << order[i].first;
    EXPECT_EQ(Function_ArgCount(id), order[i].second) << order[i].first;
  }
  EXPECT_EQ(Function_Count(), static_cast<int32_t>(std::size(order)) + kAchievementAndSocial);
  Function_FreeAll();

  CallBuiltin(F_DisplaySetGuiSize, {R(320.7), R(200)});
  EXPECT_EQ(CallBuiltin(F_DisplayGetGuiWidth, {}).real, 320.0);
  EXPECT_EQ(CallBuiltin(F_DisplayGetGuiHeight, {}).real, 200.0);
  CallBuiltin(F_DisplaySetGuiSize, {R(-1), R(-1)});
  EXPECT_EQ(CallBuiltin(F_WindowHandle, {}).real, 0.0);  // no window here
  ConsoleCapture console;
  CallBuiltin(F_DrawEnableAlphablend, {S("yes")});
  EXPECT_NE(console.Text().find("Illegal argument type: true/false expected"), std::string::npos) << console.Text();
}

}  // namespace

#include "script/external_calls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_locations.h"

namespace {

const std::string kLibrary = KF_EXTERNAL_TEST_LIBRARY;

class ExternalCalls : public ::testing::Test {
 protected:
  void SetUp() override { External_Reset(); }
  void TearDown() override {
    External_Reset();
    FileLocations_Reset();
  }

  static int32_t Define(const std::string& name, std::vector<int32_t> types, int32_t result = kExternalReal,
                        const std::string& library = kLibrary) {
    return External_Define(library, name, 0, static_cast<int32_t>(types.size()), types.data(), result);
  }
  static ScriptValue Call(int32_t id, std::vector<ScriptValue> args) {
    ScriptValue result = ScriptValue::String("stale");
    External_Call(id, static_cast<int>(args.size()), args.data(), result);
    return result;
  }
  static double Calls() { return Call(Define("ext_calls", {}), {}).real; }
};

TEST_F(ExternalCalls, RealAndStringArgumentsAndResults) {
  const int32_t add = Define("ext_add", {0, 0});
  ASSERT_EQ(add, 0);
  EXPECT_EQ(Call(add, {ScriptValue(2.5), ScriptValue(4.0)}).real, 6.5);

  const int32_t length = Define("ext_length", {1});
  EXPECT_EQ(Call(length, {ScriptValue::String("hello")}).real, 5.0);
  // A real at a string position reaches the library as an empty text, never a null pointer.
  EXPECT_EQ(Call(length, {ScriptValue(3.0)}).real, 0.0);

  const int32_t mix = Define("ext_mix4", {0, 1, 0, 1}, kExternalString);
  ScriptValue mixed = Call(mix, {ScriptValue(1.0), ScriptValue::String("b"), ScriptValue(-2.0),
                                 ScriptValue::String("d")});
  ASSERT_TRUE(mixed.IsString());
  EXPECT_EQ(mixed.Text(), "1|b|-2|d");
}

TEST_F(ExternalCalls, StringResultsAreCopiesAndNullIsEmpty) {
  const int32_t join = Define("ext_join", {1, 0}, kExternalString);
  ScriptValue first = Call(join, {ScriptValue::String("a"), ScriptValue(1.0)});
  ScriptValue second = Call(join, {ScriptValue::String("b"), ScriptValue(2.0)});
  EXPECT_EQ(first.Text(), "a:1");  // the library's buffer was reused by the second call
  EXPECT_EQ(second.Text(), "b:2");

  ScriptValue none = Call(Define("ext_null", {}, kExternalString), {});
  EXPECT_TRUE(none.IsString());
  EXPECT_EQ(none.Text(), "");
}

TEST_F(ExternalCalls, ArgumentLimits) {
  std::vector<int32_t> reals16(16, 0);
  const int32_t weighted = Define("ext_weighted16", reals16);
  ASSERT_GE(weighted, 0);
  std::vector<ScriptValue> args;
  for (int i = 0; i < 16; ++i) args.emplace_back(i == 15 ? 1.0 : 0.0);
  EXPECT_EQ(Call(weighted, args).real, 16.0);  // the last argument arrives last

  EXPECT_EQ(Define("ext_weighted16", std::vector<int32_t>(17, 0)), -1);
  std::vector<int32_t> fiveWithString{0, 0, 1, 0, 0};
  EXPECT_EQ(Define("ext_weighted16", fiveWithString), -1);
  EXPECT_EQ(External_Count(), 1);
}

TEST_F(ExternalCalls, WrongCountUnknownIdAndDisabledCallNothing) {
  const int32_t add = Define("ext_add", {0, 0});
  const double before = Calls();
  for (const std::vector<ScriptValue>& args :
       {std::vector<ScriptValue>{ScriptValue(1.0)},
        std::vector<ScriptValue>{ScriptValue(1.0), ScriptValue(2.0), ScriptValue(3.0)}}) {
    ScriptValue result = Call(add, args);
    EXPECT_TRUE(result.IsReal());
    EXPECT_EQ(result.real, 0.0);
  }
  EXPECT_EQ(Call(99, {}).real, 0.0);
  EXPECT_EQ(Call(-1, {}).real, 0.0);
  External_SetCallsDisabled(true);
  EXPECT_EQ(Call(add, {ScriptValue(1.0), ScriptValue(2.0)}).real, 0.0);
  External_SetCallsDisabled(false);
  EXPECT_EQ(Calls(), before);
}

TEST_F(ExternalCalls, FailedLookupKeepsTheNextId) {
  EXPECT_EQ(Define("no_such_export", {}), -1);
  EXPECT_EQ(Define("ext_add", {0, 0}, kExternalReal, "no_such_library.dll"), -1);
  EXPECT_EQ(Define("ext_add", {0, 0}), 0);
}

TEST_F(ExternalCalls, FreeDisablesEveryFunctionOfTheExactPath) {
  const int32_t add = Define("ext_add", {0, 0});
  const int32_t sub = Define("ext_sub", {0, 0});
  const std::string path = External_LibraryPath(add);

  std::string otherCase = path;
  otherCase.back() = otherCase.back() == 'o' ? 'O' : 'o';
  External_Free(otherCase);
  EXPECT_EQ(Call(sub, {ScriptValue(5.0), ScriptValue(2.0)}).real, 3.0);

  External_Free(path);
  EXPECT_EQ(Call(add, {ScriptValue(1.0), ScriptValue(2.0)}).real, 0.0);
  EXPECT_EQ(Call(sub, {ScriptValue(5.0), ScriptValue(2.0)}).real, 0.0);
  // Defined again, the library loads anew under a new id.
  const int32_t again = Define("ext_add", {0, 0});
  EXPECT_EQ(again, 2);
  EXPECT_EQ(Call(again, {ScriptValue(1.0), ScriptValue(2.0)}).real, 3.0);
}

TEST_F(ExternalCalls, WindowsNameFindsTheNativeLibraryInTheGameFolder) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("kf_external_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  fs::copy_file(kLibrary, folder / "libhelper.so", fs::copy_options::overwrite_existing);
  FileLocations_SetGameFolder(folder.string());
  FileLocations_SetSaveArea(folder.string());

  // As given ("Helper.dll" is absent), then Helper.so, then libHelper.so, case-insensitively.
  const int32_t id = Define("ext_add", {0, 0}, kExternalReal, "Helper.dll");
  ASSERT_GE(id, 0);
  EXPECT_EQ(External_LibraryPath(id), (folder / "libhelper.so").string());
  EXPECT_EQ(Call(id, {ScriptValue(1.0), ScriptValue(1.0)}).real, 2.0);
  External_Reset();
  fs::remove_all(folder);
}

}  // namespace

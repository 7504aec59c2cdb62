#include "functions/social_store_functions.h"

#include <gtest/gtest.h>

#include <string>

#include "functions/builtin_by_name.h"
#include "functions/builtin_call.h"
#include "functions/ds_functions.h"
#include "script/function_table.h"
#include "support/function_table_guard.h"

namespace {

ScriptValue Call(const char* name, std::initializer_list<ScriptValue> args) {
  ScriptValue result;
  EXPECT_TRUE(Builtin_CallByName(name, result, nullptr, nullptr, args)) << name;
  return result;
}

class SocialStore : public ::testing::Test {
 protected:
  FunctionTableGuard functions_;  // put back after TearDown
  void SetUp() override {
    Function_FreeAll();
    InitDataStructureFunctions();
    SocialStore_RegisterFunctions();
  }
};

TEST_F(SocialStore, NeutralAnswersAndConsoleTexts) {
  ConsoleCapture console;
  EXPECT_EQ(Call("facebook_status", {}).Text(), "IDLE");
  EXPECT_EQ(Call("Tarn_GetDevice", {}).real, -1.0);
  EXPECT_EQ(Call("device_get_tilt_x", {}).real, 0.0);
  EXPECT_EQ(Call("gravemakerLoad", {S("slot")}).Text(), "");
  EXPECT_TRUE(Call("openfeint_accept_challenge", {}).IsString());
  EXPECT_EQ(Call("win8_share_url", {S("a"), S("b"), S("c")}).real, 0.0);
  EXPECT_EQ(console.Text(), "Windows8 functionality not supported on this platform\n");
  console.Clear();
  Call("pocketchange_display_shop", {});
  Call("pocketchange_display_reward", {});
  EXPECT_EQ(console.Text(), "Calling to display shop\nCalling to display reward\n");
  EXPECT_TRUE(console.Text().find("ERROR") == std::string::npos);

  struct Refused {
    const char* name;
    std::vector<ScriptValue> args;
    const char* report;
    double answer;
  };
  const Refused refused[] = {
      {"device_ios_get_image", {R(1)}, "Illegal argument count", -1},
      {"Tarn_SelectPicture", {R(1)}, "Illegal argument count", -1},
      {"ads_enable", {R(0), R(0), S("a")}, "Illegal argument type", 0},
      {"Tarn_EnableAds", {R(0), R(0), R(0), R(0)}, "Illegal argument count", 0},
      {"shop_leave_rating", {S("a"), S("b"), R(3), S("d")}, "Illegal argument type", 0},
      {"achievement_map_leaderboard", {S("board")}, "Illegal argument count", 0},
  };
  for (const Refused& r : refused) {
    console.Clear();
    int32_t id = -1;
    ASSERT_TRUE(Function_Find(r.name, id)) << r.name;
    ScriptValue result;
    std::vector<ScriptValue> args = r.args;
    Function_Call(id, result, nullptr, nullptr, static_cast<int>(args.size()), args.data());
    EXPECT_TRUE(console.Contains(r.report)) << r.name << ": " << console.Text();
    EXPECT_EQ(result.real, r.answer) << r.name;
  }
  console.Clear();
  Call("achievement_map_leaderboard", {S("board"), S("id")});  // two arguments: type 1
  EXPECT_EQ(console.Text(), "");
}

TEST_F(SocialStore, TheSimulatedStoreServesThreePurchasedProductsOnce) {
  EXPECT_EQ(Call("iap_status", {}).real, -1.0);
  EXPECT_EQ(Call("iap_files_purchased", {}).real, -1.0);
  const double purchases = Call("iap_activate", {R(0)}).real;
  const double status = Call("iap_status", {}).real;
  ASSERT_GE(status, 0.0);
  EXPECT_EQ(Call("ds_map_find_value", {R(status), S("status")}).Text(), "App Store is available...");
  const double list = Call("ds_map_find_value", {R(status), S("purchases")}).real;
  ASSERT_EQ(Call("ds_list_size", {R(list)}).real, 3.0);
  for (int i = 0; i < 3; ++i) {
    const double product = Call("ds_list_find_value", {R(list), R(i)}).real;
    EXPECT_EQ(Call("ds_map_find_value", {R(product), S("status")}).Text(), "Purchased");
    EXPECT_EQ(Call("ds_map_find_value", {R(product), S("price")}).Text(), "$1.00");
    EXPECT_NE(Call("ds_map_find_value", {R(product), S("id")}).Text(), "");
  }
  // A second call does not build them again.
  const double first = Call("ds_list_find_value", {R(list), R(0)}).real;
  Call("ds_map_replace", {R(first), S("status"), S("changed by the game")});
  EXPECT_EQ(Call("iap_status", {}).real, status);
  EXPECT_EQ(Call("ds_list_size", {R(list)}).real, 3.0);
  EXPECT_EQ(Call("ds_map_find_value", {R(first), S("status")}).Text(), "changed by the game");

  EXPECT_EQ(Call("iap_files_purchased", {}).real, purchases);
  const std::string id = std::string(Call("ds_map_find_value", {R(first), S("id")}).Text());
  const double files = Call("ds_map_find_value", {R(purchases), S(id)}).real;
  EXPECT_EQ(Call("ds_list_size", {R(files)}).real, 4.0);
  Call("iap_files_purchased", {});
  EXPECT_EQ(Call("ds_list_size", {R(files)}).real, 4.0);
}

}  // namespace

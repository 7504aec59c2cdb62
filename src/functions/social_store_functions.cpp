#include "functions/social_store_functions.h"

#include <array>

#include "functions/argument_helpers.h"
#include "functions/builtin_by_name.h"
#include "platform/console.h"
#include "script/builtin_function.h"
#include "script/function_table.h"

namespace {

// ---- argument checks ----------------------------------------------------------------------

bool AllStrings(int argc, const ScriptValue* args) {
  for (int i = 0; i < argc; ++i) {
    if (!args[i].IsString()) {
      Arg_ReportIllegalType();
      return false;
    }
  }
  return true;
}

template <int Count>
void F_CountOnly(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue*) {
  Arg_CheckCount(argc, Count);
}

template <int Count>
void F_CountAndReals(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (Arg_CheckCount(argc, Count)) Arg_CheckAllReal(argc, args);
}

template <int Count>
void F_CountAndStrings(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue* args) {
  if (Arg_CheckCount(argc, Count)) AllStrings(argc, args);
}

// ---- advertising, rating and device --------------------------------------------------------

// A request the platform has no service for: nothing happens and the answer is 0.
void F_Nothing(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {}

void F_EmptyString(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetString(""); }

void F_PocketchangeDisplayShop(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  g_DebugConsole->Output("Calling to display shop\n");
}

void F_PocketchangeDisplayReward(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  g_DebugConsole->Output("Calling to display reward\n");
}

// The device code of a platform that is no mobile device.
void F_TarnGetDevice(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue*) {
  if (Arg_CheckCount(argc, 0)) result.SetReal(-1.0);
}

// Picking a picture from the device's library: there is none, the answer is -1.
void F_DeviceIosGetImage(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue*) {
  result.SetReal(-1.0);
  Arg_CheckCount(argc, 0);
}

void F_AnalyticsEvent(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetString(""); }

// ---- social services -------------------------------------------------------------------------

void F_AchievementMapLeaderboard(ScriptValue&, CInstance*, CInstance*, int argc, ScriptValue*) {
  if (argc != 2 && argc != 3) Arg_ReportIllegalCount();
}

void F_OpenfeintAcceptChallenge(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue*) {
  result.SetString("");
  Arg_CheckCount(argc, 0);
}

void F_FacebookStatus(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) { result.SetString("IDLE"); }

void F_Win8NotSupported(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  g_DebugConsole->Output("Windows8 functionality not supported on this platform\n");
}

// ---- the simulated store ---------------------------------------------------------------------

struct StoreProduct {
  const char* title;
  const char* description;
  const char* id;
  const char* price;
  int32_t status;  // 0 purchased, 1 available, else unavailable
};

constexpr std::array<StoreProduct, 3> kStoreProducts = {{
    {"Forest Levels", "Ten extra levels in the forest.", "kilnforge.demo.forest", "$1.00", 0},
    {"Cave Levels", "Ten extra levels under the mountain.", "kilnforge.demo.caves", "$1.00", 0},
    {"Castle Levels", "Ten extra levels in the castle.", "kilnforge.demo.castle", "$1.00", 0},
}};

constexpr std::array<const char*, 4> kPurchasedFiles = {
    "forest/level0.dat", "forest/level1.dat", "forest/level2.dat", "forest/level3.dat"};

constexpr int kProductMapCount = 16;

struct Store {
  double statusMap = -1;
  double productList = -1;
  double purchasesMap = -1;
  std::array<double, kProductMapCount> productMaps{};
};

Store& TheStore() {
  static Store store = [] {
    Store s;
    s.productMaps.fill(-1);
    return s;
  }();
  return store;
}

// A data-structure built-in's answer (the real it gives).
double Ds(std::string_view name, std::initializer_list<ScriptValue> args) {
  ScriptValue result;
  Builtin_CallByName(name, result, nullptr, nullptr, args);
  return result.real;
}

ScriptValue R(double value) { return ScriptValue::Real(value); }
ScriptValue S(const char* text) { return ScriptValue::String(text); }

const char* StatusText(int32_t status) {
  if (status == 0) return "Purchased";
  if (status == 1) return "Available";
  return "Unavailable";
}

void F_IapActivate(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  Store& store = TheStore();
  store.statusMap = Ds("ds_map_create", {});
  store.productList = Ds("ds_list_create", {});
  for (double& map : store.productMaps) map = Ds("ds_map_create", {});
  store.purchasesMap = Ds("ds_map_create", {});
  result.SetReal(store.purchasesMap);
}

void F_IapStatus(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  Store& store = TheStore();
  result.SetReal(store.statusMap);
  if (store.statusMap < 0 || Ds("ds_map_exists", {R(store.statusMap), S("status")}) != 0) return;
  Ds("ds_map_add", {R(store.statusMap), S("status"), S("App Store is available...")});
  Ds("ds_map_add", {R(store.statusMap), S("purchases"), R(store.productList)});
  Ds("ds_list_clear", {R(store.productList)});
  for (size_t i = 0; i < kStoreProducts.size(); ++i) {
    const StoreProduct& product = kStoreProducts[i];
    const double map = store.productMaps[i];
    Ds("ds_map_clear", {R(map)});
    Ds("ds_map_add", {R(map), S("title"), S(product.title)});
    Ds("ds_map_add", {R(map), S("description"), S(product.description)});
    Ds("ds_map_add", {R(map), S("price"), S(product.price)});
    Ds("ds_map_add", {R(map), S("id"), S(product.id)});
    Ds("ds_map_add", {R(map), S("status"), S(StatusText(product.status))});
    Ds("ds_list_add", {R(store.productList), R(map)});
  }
}

void F_IapFilesPurchased(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  Store& store = TheStore();
  result.SetReal(store.purchasesMap);
  const char* id = kStoreProducts[0].id;
  if (store.purchasesMap < 0 || Ds("ds_map_exists", {R(store.purchasesMap), S(id)}) != 0) return;
  const double files = Ds("ds_list_create", {});
  Ds("ds_map_add", {R(store.purchasesMap), S(id), R(files)});
  for (const char* path : kPurchasedFiles) Ds("ds_list_add", {R(files), S(path)});
}

struct SocialBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr SocialBuiltin kSocialStoreBuiltins[] = {
    // Advertising, rating and device queries.
    {"ads_enable", F_CountAndReals<3>, 3},
    {"Tarn_EnableAds", F_CountAndReals<5>, 5},
    {"ads_move", F_CountAndReals<3>, 3},
    {"ads_disable", F_CountOnly<0>, 0},
    {"Tarn_DisableAds", F_CountOnly<0>, 0},
    {"ads_get_display_width", F_CountOnly<1>, 1},
    {"ads_get_display_height", F_CountOnly<1>, 1},
    {"ads_setup", F_Nothing, 2},
    {"ads_engagement_available", F_Nothing, 1},
    {"ads_engagement_active", F_Nothing, 1},
    {"ads_engagement_launch", F_Nothing, 1},
    {"pocketchange_display_shop", F_PocketchangeDisplayShop, 0},
    {"pocketchange_display_reward", F_PocketchangeDisplayReward, 0},
    {"shop_leave_rating", F_CountAndStrings<4>, 4},
    {"Tarn_LeaveRating", F_CountAndStrings<4>, 4},
    {"clickable_add", F_Nothing, 6},
    {"clickable_add_ext", F_Nothing, 8},
    {"clickable_change", F_Nothing, 4},
    {"clickable_change_ext", F_Nothing, 5},
    {"clickable_delete", F_Nothing, 1},
    {"Tarn_GetPlatform", F_CountOnly<0>, 0},
    {"Tarn_GetDevice", F_TarnGetDevice, 0},
    {"Tarn_GetCPUDetails", F_CountOnly<0>, 0},
    {"device_get_tilt_x", F_CountOnly<0>, 0},
    {"Tarn_GetTiltX", F_CountOnly<0>, 0},
    {"device_get_tilt_y", F_CountOnly<0>, 0},
    {"Tarn_GetTiltY", F_CountOnly<0>, 0},
    {"device_get_tilt_z", F_CountOnly<0>, 0},
    {"Tarn_GetTiltZ", F_CountOnly<0>, 0},
    {"device_is_keypad_open", F_Nothing, 0},
    {"Tarn_IsKeypadOpen", F_Nothing, 0},
    {"device_ios_get_imagename", F_DeviceIosGetImage, 0},
    {"Tarn_SelectPicture", F_DeviceIosGetImage, 0},
    {"device_ios_get_image", F_DeviceIosGetImage, 0},
    {"Tarn_GetPictureSprite", F_DeviceIosGetImage, 0},
    {"analytics_event", F_AnalyticsEvent, 1},
    // Social services.
    {"openfeint_start", F_CountOnly<0>, 0},
    {"Tarn_OF_StartDashboard", F_CountOnly<0>, 0},
    {"achievement_map_achievement", F_CountOnly<2>, 2},
    {"Tarn_OF_AddAchievement", F_CountOnly<2>, 2},
    // Two arguments mean a leaderboard of type 1, so both counts compile.
    {"achievement_map_leaderboard", F_AchievementMapLeaderboard, -1},
    {"Tarn_OF_AddLeaderboard", F_AchievementMapLeaderboard, -1},
    {"openfeint_send_challenge", F_CountOnly<3>, 3},
    {"Tarn_OF_SendChallenge", F_CountOnly<3>, 3},
    {"openfeint_send_invite", F_CountOnly<1>, 1},
    {"Tarn_OF_SendInvite", F_CountOnly<1>, 1},
    {"openfeint_send_social", F_CountOnly<3>, 3},
    {"Tarn_OF_SendSocial", F_CountOnly<3>, 3},
    {"openfeint_set_url", F_CountOnly<1>, 1},
    {"Tarn_OF_SetURL", F_CountOnly<1>, 1},
    {"openfeint_accept_challenge", F_OpenfeintAcceptChallenge, 0},
    {"Tarn_OF_AcceptChallenge", F_OpenfeintAcceptChallenge, 0},
    {"openfeint_send_result", F_CountOnly<2>, 2},
    {"Tarn_OF_SendChallengeResult", F_CountOnly<2>, 2},
    {"achievement_is_online", F_CountOnly<0>, 0},
    {"Tarn_OF_IsOnline", F_CountOnly<0>, 0},
    {"facebook_init", F_Nothing, 0},
    {"facebook_login", F_CountOnly<1>, 1},
    {"facebook_status", F_FacebookStatus, 0},
    {"facebook_graph_request", F_CountOnly<4>, 4},
    {"facebook_dialog", F_CountOnly<3>, 3},
    {"facebook_logout", F_CountOnly<0>, 0},
    {"facebook_launch_offerwall", F_Nothing, 1},
    {"facebook_post_message", F_Nothing, 7},
    {"facebook_send_invite", F_Nothing, 4},
    {"gravemakerLogin", F_EmptyString, 2},
    {"gravemakerSave", F_EmptyString, 2},
    {"gravemakerLoad", F_EmptyString, 1},
    {"gravemakerIsLoggedIn", F_EmptyString, 0},
    {"gravemakerIsLoaded", F_EmptyString, 0},
    {"win8_livetile_tile_notification", F_Win8NotSupported, 4},
    {"win8_livetile_tile_clear", F_Win8NotSupported, 0},
    {"win8_livetile_badge_notification", F_Win8NotSupported, 1},
    {"win8_livetile_badge_clear", F_Win8NotSupported, 0},
    {"win8_livetile_queue_enable", F_Win8NotSupported, 1},
    {"win8_appbar_enable", F_Win8NotSupported, 1},
    {"win8_appbar_add_element", F_Win8NotSupported, 0},
    {"win8_appbar_remove_element", F_Win8NotSupported, 0},
    {"win8_settingscharm_add_entry", F_Win8NotSupported, 2},
    {"win8_settingscharm_add_html_entry", F_Win8NotSupported, 3},
    {"win8_settingscharm_remove_entry", F_Win8NotSupported, 1},
    {"win8_share_image", F_Win8NotSupported, 3},
    {"win8_share_screenshot", F_Win8NotSupported, 2},
    {"win8_share_file", F_Win8NotSupported, 3},
    {"win8_share_url", F_Win8NotSupported, 3},
    {"win8_share_text", F_Win8NotSupported, 3},
    // The store.
    {"iap_activate", F_IapActivate, 1},
    {"iap_status", F_IapStatus, 0},
    {"iap_files_purchased", F_IapFilesPurchased, 0},
    {"iap_acquire", F_Nothing, 1},
    {"iap_is_purchased", F_Nothing, 1},
    {"iap_restore_all", F_Nothing, 0},
};

}  // namespace

void SocialStore_RegisterFunctions() {
  for (const SocialBuiltin& builtin : kSocialStoreBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}

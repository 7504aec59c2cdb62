// Every registered built-in called, in a running game, with argument lists no game should pass:
// none, too many, NaN, infinities, reals far beyond 32 bits, -1, ids far past any resource or
// instance, empty and very long strings, and strings where numbers belong. Each call returns
// with a value a game can hold; the sanitizer build reports any memory fault or undefined
// behaviour on the way. Files the built-ins write land in a folder of the test's own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/rooms.h"
#include "functions/registry.h"
#include "graphics/device.h"
#include "graphics/fonts.h"
#include "graphics/primitives.h"
#include "graphics/text.h"
#include "graphics/texture_pages.h"
#include "platform/file_locations.h"
#include "runner/game_locations.h"
#include "runner/instance.h"
#include "runner/room_start.h"
#include "runner/run_options.h"
#include "runner/window.h"
#include "script/function_table.h"
#include "support/game_data_writer.h"
#include "support/in_process_game.h"
#include "support/runner_process.h"

namespace {

// Built-ins the sweep leaves out, each with its reason.
const std::map<std::string_view, const char*>& LeftOut() {
  static const std::map<std::string_view, const char*> leftOut = {
      // They end or replace the running game.
      {"game_end", "ends the game"},
      {"game_restart", "restarts the game"},
      {"game_load", "replaces the running game with a saved one"},
      {"action_load_game", "replaces the running game with a saved one"},
      {"action_end_game", "ends the game"},
      {"action_restart_game", "restarts the game"},
      {"show_error", "a fatal error ends the game"},
      // They wait for the player.
      {"show_message", "a dialog"},
      {"show_question", "a dialog"},
      {"show_info", "a dialog"},
      {"action_show_info", "a dialog"},
      {"action_message", "a dialog"},
      {"show_text", "a dialog"},
      {"show_image", "a dialog"},
      {"show_video", "a dialog"},
      {"action_show_video", "a dialog"},
      {"get_integer", "a dialog"},
      {"get_string", "a dialog"},
      {"get_login_async", "a dialog"},
      {"get_open_filename", "a dialog"},
      {"get_open_filename_ext", "a dialog"},
      {"get_save_filename", "a dialog"},
      {"get_save_filename_ext", "a dialog"},
      {"highscore_show", "a dialog"},
      {"highscore_show_ext", "a dialog"},
      {"action_highscore_show", "a dialog"},
      {"splash_show_text", "a dialog"},
      {"splash_show_image", "a dialog"},
      {"splash_show_video", "a dialog"},
      {"keyboard_wait", "waits for a key"},
      {"mouse_wait", "waits for a button"},
      {"sleep", "sleeps"},
      {"action_sleep", "sleeps"},
      // They reach out of the process.
      {"http_get", "the network"},
      {"http_post_string", "the network"},
      {"url_open", "starts a browser"},
      {"url_open_ext", "starts a browser"},
      {"url_open_full", "starts a browser"},
      {"Tarn_OpenURL", "starts a browser"},
      {"Tarn_OpenURL_ext", "starts a browser"},
      {"Tarn_OpenURL_full", "starts a browser"},
      {"action_webpage", "starts the desktop's handler for its text"},
      {"execute_program", "starts a program"},
      {"execute_shell", "starts a program"},
      {"set_program_priority", "changes the test process's scheduling priority"},
  };
  return leftOut;
}

// Whole families left out for the same reasons.
const char* LeftOutFamily(std::string_view name) {
  if (name.starts_with("mplay_")) return "multiplayer sessions reach the network";
  if (name.starts_with("external_define")) return "loads shared libraries by name";
  if (name.starts_with("cd_") || name.starts_with("action_cd_")) return "drives the machine's disc drive";
  return nullptr;
}

constexpr int32_t kArgumentSlots = 16;

ScriptValue R(double value) { return ScriptValue::Real(value); }
ScriptValue S(std::string text) { return ScriptValue::String(std::move(text)); }

// Built-ins that end what their first argument names: they get no list that names one that
// exists, so that the built-ins after them still find it.
bool Ends(std::string_view name) {
  for (std::string_view word : {"_destroy", "_delete", "_free", "_close"}) {
    if (name.find(word) != std::string_view::npos) return true;
  }
  return false;
}

// The argument lists for a built-in taking count arguments (-1: any number). With named, some
// lists start with 0 and 0, 0: the first of each kind of resource and structure, which exist.
std::vector<std::vector<ScriptValue>> HostileLists(int32_t count, bool named) {
  const int32_t n = count < 0 ? 3 : count;
  const std::string longText(100000, 'w');
  const std::string cutShort("ab\xF0\x9F", 4);  // a character cut short
  const std::vector<ScriptValue> values = {R(NAN),          R(INFINITY),    R(-INFINITY), R(1e300),  R(-1e300),
                                           R(-1),           R(2147483647),  R(4294967296.0), R(1e9), R(100001),
                                           R(-2147483649.0), S(""),        S(longText),  S("12x"),  S("-1"),
                                           // A lone continuation byte, a NUL.
                                           S(cutShort), S(std::string("\x80\xBF%", 3)),
                                           S(std::string("a\0b", 3))};
  std::vector<std::vector<ScriptValue>> lists = {{}};
  for (const ScriptValue& v : values) lists.emplace_back(static_cast<size_t>(n), v);
  // Fewer with existing ones: a built-in that grows one from another (a path appended to
  // itself) doubles it each time.
  const std::vector<ScriptValue> withNamed = {R(NAN), R(-INFINITY), R(1e300), R(-1), S(longText), S(cutShort)};
  for (const ScriptValue& v : withNamed) {
    for (int32_t existing = 1; named && existing < n && existing <= 2; ++existing) {
      std::vector<ScriptValue> list(static_cast<size_t>(n), v);
      for (int32_t i = 0; i < existing; ++i) list[static_cast<size_t>(i)] = R(0);
      lists.push_back(list);
    }
  }
  // Strings and numbers in turn, both ways round.
  for (int32_t start = 0; start < 2; ++start) {
    std::vector<ScriptValue> mixed;
    for (int32_t i = 0; i < n; ++i) mixed.push_back((i + start) % 2 == 0 ? S(i % 4 < 2 ? "" : longText) : R(-1e300));
    lists.push_back(mixed);
  }
  // Too many: past the count, and past the sixteen argument slots of a script.
  lists.emplace_back(static_cast<size_t>(n + 3), R(1));
  lists.emplace_back(static_cast<size_t>(kArgumentSlots + 4), S("a"));
  return lists;
}

// A 320 x 240 room: a 16 x 16 instance to call for and another one; one of each resource the
// calls may name.
GameDataWriter SweepGame() {
  GameDataWriter game;
  game.header.name = "Hostile Sweep";
  AddBoxSprite(game);
  gamedata::Background back;
  back.name = "bck_box";
  back.entry = 0;
  game.backgrounds.push_back(back);
  gamedata::Path path;
  path.name = "pth_line";
  path.points = {{0, 0, 100}, {64, 32, 100}};
  game.paths.push_back(path);
  // Its code takes any arguments without a runtime error, which would end the game.
  game.scripts.push_back({"scr_count", {"return argument_count;"}});
  gamedata::Object self, other;
  self.name = "obj_self";
  self.sprite = 0;
  other.name = "obj_other";
  other.sprite = 0;
  other.solid = true;
  game.objects = {self, other};
  gamedata::Room room;
  room.name = "rm_sweep";
  room.width = 320;
  room.height = 240;
  room.instances.push_back({40, 40, 0, 100001, {""}});
  room.instances.push_back({120, 40, 1, 100002, {""}});
  game.header.lastInstanceId = 100002;
  game.rooms.push_back(room);
  return game;
}

// Runs the test in a folder of its own: the working directory, the game folder, the save area,
// the data and temporary folders all lie in it; everything goes back afterwards.
class OwnFolder {
 public:
  OwnFolder() : previous_(std::filesystem::current_path()) {
    for (const char* name : {"XDG_DATA_HOME", "TMPDIR", "HOME"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    const std::string root = folder_.path();
    std::filesystem::create_directories(root + "/data");
    std::filesystem::create_directories(root + "/tmp");
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("TMPDIR", (root + "/tmp").c_str(), 1);
    setenv("HOME", root.c_str(), 1);
    std::filesystem::current_path(root);
    g_RunOptions.gameFileName = root + "/game.win";
    GameLocations_Reset();
    FileLocations_Reset();
    FileLocations_SetGameFolder(root);
    FileLocations_SetSaveArea(root + "/data");
  }
  ~OwnFolder() {
    std::filesystem::current_path(previous_);
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    g_RunOptions.gameFileName.reset();
    GameLocations_Reset();
    FileLocations_Reset();
  }

 private:
  TempFolder folder_;
  std::filesystem::path previous_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(HostileArgumentsSweep, EveryBuiltInReturnsFromEveryList) {
  OwnFolder own;
  GR_Draw_Init();
  MainWindow().requestedWidth = MainWindow().gameWidth = 64;
  MainWindow().requestedHeight = MainWindow().gameHeight = 64;
  ASSERT_TRUE(GR_D3D_Init(nullptr, 64, 64, 0));
  {
    InProcessGame game;
    ASSERT_TRUE(game.Load(SweepGame()));
    // Loading registers the built-ins once a process; a test before may have cleared them.
    if (Function_Count() == 0) Functions_RegisterAll();
    ASSERT_TRUE(GR_Texture_Pages_Load());
    ASSERT_TRUE(game.Start());
    CInstance* self = Run_CurrentRoom()->active.first;
    ASSERT_NE(self, nullptr);
    CInstance* other = self->next != nullptr ? self->next : self;
    ASSERT_TRUE(GR_D3D_Start_Frame());
    // The first of each kind of structure and resource that games make as they play.
    for (const auto& [name, args] : std::vector<std::pair<const char*, std::vector<ScriptValue>>>{
             {"ds_list_create", {}}, {"ds_map_create", {}}, {"ds_grid_create", {R(4), R(4)}},
             {"ds_stack_create", {}}, {"ds_queue_create", {}}, {"ds_priority_create", {}},
             {"ds_list_add", {R(0), R(1), S("a")}}, {"ds_map_add", {R(0), S("k"), R(1)}},
             {"ds_stack_push", {R(0), R(1)}}, {"ds_queue_enqueue", {R(0), R(1)}},
             {"ds_priority_add", {R(0), S("a"), R(1)}}, {"surface_create", {R(16), R(16)}},
             {"part_system_create", {}}, {"part_type_create", {}}, {"part_emitter_create", {R(0)}},
             {"d3d_model_create", {}}, {"mp_grid_create", {R(0), R(0), R(4), R(4), R(16), R(16)}},
             {"font_add_sprite", {R(0), R(32), R(0), R(0)}}, {"timeline_add", {}},
             {"audio_emitter_create", {}}, {"physics_fixture_create", {}}}) {
      int32_t id = -1;
      ASSERT_TRUE(Function_Find(name, id)) << name;
      std::vector<ScriptValue> copy = args;
      ScriptValue made;
      Function_Call(id, made, self, other, static_cast<int>(copy.size()), copy.data());
    }
    const bool trace = std::getenv("KF_SWEEP_TRACE") != nullptr;

    // Twice: with the calling instance where it was placed, then at a place that is not a
    // number, moving at a speed that is not one either.
    int32_t swept = 0;
    const int32_t count = Function_Count();
    for (const bool farOff : {false, true}) {
      for (int32_t id = 0; id < count; ++id) {
        const BuiltinFunctionEntry* entry = Function_Get(id);
        ASSERT_NE(entry, nullptr);
        if (LeftOut().contains(entry->name) || LeftOutFamily(entry->name) != nullptr) continue;
        const auto started = std::chrono::steady_clock::now();
        self->SetPosition(farOff ? NAN : 40.0f, farOff ? INFINITY : 40.0f);
        self->SetDirection(farOff ? INFINITY : 0.0f);
        self->SetSpeed(farOff ? NAN : 0.0f);
        swept += farOff ? 0 : 1;
        for (const std::vector<ScriptValue>& list : HostileLists(entry->argc, !Ends(entry->name))) {
          // The compiler checks a fixed count, so a built-in of one reads its arguments without
          // looking at how many came: the list is padded with reals 0 up to that count.
          std::vector<ScriptValue> args = list;
          if (entry->argc >= 0 && args.size() < static_cast<size_t>(entry->argc)) {
            args.resize(static_cast<size_t>(entry->argc));
          }
          ScriptValue result;
          ASSERT_TRUE(Function_Call(id, result, self, other, static_cast<int>(list.size()),
                                    args.empty() ? nullptr : args.data()))
              << entry->name;
          EXPECT_TRUE(result.IsReal() || result.IsString()) << entry->name;
        }
        if (trace) {
          const auto elapsed = std::chrono::steady_clock::now() - started;
          const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
          std::fprintf(stderr, "sweep: %s %lld ms\n", entry->name.c_str(), ms);
        }
      }
    }
    EXPECT_GT(swept, 1300);
  }
  Font_Default_Free();
  Font_Clear();
  GR_Text_Reset();
  GR_D3D_Shutdown();
}

}  // namespace

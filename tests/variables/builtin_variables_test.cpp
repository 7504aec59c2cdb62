// The built-in variable table: order and names, and each variable read, written, refused or
// clamped by its own rule, through the variable access that both executors use.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "data/background.h"
#include "data/game_loader.h"
#include "data/objects.h"
#include "data/room_settings.h"
#include "runner/input.h"
#include "runner/instance.h"
#include "runner/run_globals.h"
#include "script/builtin_variables.h"
#include "script/code.h"
#include "script/code_exec.h"
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/user_variables.h"
#include "script/error_report.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "script/variable_access.h"
#include "script/vm/vm.h"
#include "support/game_data_writer.h"

namespace {

std::vector<std::string>& Notes() {
  static std::vector<std::string> notes;
  return notes;
}

void F_Note(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  Notes().push_back(argc > 0 ? std::string(args[0].Text()) : std::string());
  result.SetReal(0);
}

class BuiltinVariables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool done = false;
    if (done) return;
    done = true;
    Function_Add("note", F_Note, 1);
    VM_Install();
    Code_Exec_Install();
  }

  void SetUp() override {
    Variable_BuiltIn_Init();
    Run_Global_Init();
    room = RoomSettings();
    Variable_BuiltIn_ResetWorld();
    Variable_BuiltIn_World().currentRoom = [this] { return &room; };
    Variable_BuiltIn_World().backgroundSize = [](int32_t index, int32_t& w, int32_t& h) {
      if (index != 3) return false;
      w = 64;
      h = 32;
      return true;
    };
    InstanceWorldHooks hooks;
    hooks.forEachActiveInstance = [this](const InstanceVisitor& visit) {
      for (CInstance* at = room.active.first; at != nullptr;) {
        CInstance* next = at->next;
        if (!visit(*at)) return;
        at = next;
      }
    };
    Variable_SetInstanceWorld(hooks);
    Object_InstallHooks();
    Error_Hooks().showDialog = [](const std::string&, bool) { return false; };
    Error_Last.clear();
    Notes().clear();
  }

  void TearDown() override {
    instances.clear();
    Object_FreeAll();
    Code_SetUseVM(true);
  }

  CInstance& Add(float depth, int32_t objectIndex = 0) {
    instances.push_back(Instance_Create(0, 0, objectIndex));
    CInstance& instance = *instances.back();
    instance.depth = depth;
    InstanceList_InsertByDepth(room.active, instance);
    return instance;
  }

  static int32_t Id(const char* name) {
    const int32_t id = Variable_BuiltIn_Find(name);
    EXPECT_GE(id, 0) << name;
    return id;
  }
  ScriptValue Get(const char* name, int32_t index = 0, CInstance* self = nullptr) {
    ScriptValue out;
    EXPECT_TRUE(Variable_GetValue(self, Id(name), index, out)) << name;
    return out;
  }
  bool Set(const char* name, double value, int32_t index = 0, CInstance* self = nullptr) {
    return Variable_SetValue(self, Id(name), index, ScriptValue(value));
  }

  RoomSettings room;
  std::vector<std::unique_ptr<CInstance>> instances;
};

TEST_F(BuiltinVariables, TableOrderAndNames) {
  EXPECT_EQ(Variable_BuiltIn_Count(), 78 + 106 + 6);
  EXPECT_EQ(Variable_BuiltIn_Find("x"), 0);
  EXPECT_EQ(Variable_BuiltIn_Find("webgl_enabled"), 77);
  EXPECT_EQ(Variable_BuiltIn_Find("argument_relative"), 78);
  EXPECT_EQ(Variable_BuiltIn_Find("argument0"), 80);
  EXPECT_EQ(Variable_BuiltIn_Find("error_last"), 78 + 105);
  EXPECT_EQ(Variable_BuiltIn_Find("browser_height"), 189);
  EXPECT_EQ(Variable_BuiltIn_Find("X"), -1);
  EXPECT_EQ(Variable_BuiltIn_Name(-1), "<unknown built-in variable>");
  EXPECT_EQ(Variable_BuiltIn_Name(190), "<unknown built-in variable>");
  // The compiler resolves names through the table.
  CCode code("score = 3;", false);
  ASSERT_TRUE(code.Compile("Test"));
  EXPECT_EQ(code.Root().children[0].children[0].value, Id("score"));
  for (const char* readOnly : {"id", "instance_count", "fps", "phy_mass", "argument_count", "os_type"}) {
    const BuiltinVariableEntry* entry = Variable_BuiltIn_Entry(Id(readOnly));
    EXPECT_FALSE(entry->settable) << readOnly;
    EXPECT_EQ(entry->setter, nullptr) << readOnly;
  }
}

TEST_F(BuiltinVariables, TooManyVariablesAreRefused) {
  while (Variable_BuiltIn_Count() < kMaxBuiltinVariables) Variable_BuiltIn_Add("filler", nullptr, nullptr, false);
  Variable_BuiltIn_Add("one_too_many", nullptr, nullptr, false);
  EXPECT_EQ(Variable_BuiltIn_Count(), kMaxBuiltinVariables);
  EXPECT_EQ(Variable_BuiltIn_Find("one_too_many"), -1);
}

struct WriteCase {
  const char* name;
  int32_t index;
  double value;
  bool accepted;
  double read;
  int32_t readIndex;
};

TEST_F(BuiltinVariables, WritesReadBackByTheirRules) {
  CInstance& self = Add(0);
  const WriteCase cases[] = {
      {"room_speed", 0, 0.6, true, 1, 0},
      {"room_speed", 0, 0.4, false, 1, 0},  // refused: the earlier value stands
      {"visible", 0, -1, true, 1, 0},       // rounded non-zero
      {"solid", 0, 0.4, true, 0, 0},
      {"room_persistent", 0, -1, true, 0, 0},  // rounded above one half
      {"view_enabled", 0, 0.5, true, 0, 0},    // 0.5 rounds to 0
      {"view_enabled", 0, 1.5, true, 1, 0},    // 1.5 rounds to 2
      {"background_x", 9, 12.5, true, 12.5, 0},  // outside 0..7 means record 0
      {"background_y", 2, 7, true, 7, 2},
      {"background_x", 32005, 4, true, 4, 5},  // only the column of [row, column] counts
      {"view_xview", -1, 33.7, true, 34, 0},   // integer field
      {"view_angle", 8, 0.1, true, static_cast<float>(0.1), 0},
      {"alarm", 3, 4.5, true, 4, 3},           // rounded half to even
      {"alarm", 12, 9, true, 9, 0},            // outside 0..11 means alarm 0
      {"transition_steps", 0, -3, true, 1, 0},
      {"transition_kind", 0, 5, true, 0, 0},
      {"score", 0, 2.5, true, 2, 0},
      {"health", 0, 2.5, true, 2.5, 0},
      {"background_color", 0, -1, true, 4294967295.0, 0},  // an unsigned colour
      {"image_blend", 0, 0xFF00FF, true, 0xFF00FF, 0},
      {"error_occurred", 0, 0.5, true, 1, 0},
      {"timeline_running", 0, 0.5, true, 0, 0},
      {"depth", 0, 0.1, true, static_cast<float>(0.1), 0},
      {"id", 0, 5, false, 100001, 0},
      {"instance_count", 0, 5, false, 1, 0},
      {"phy_rotation", 0, 5, false, 0, 0},
  };
  for (const WriteCase& c : cases) {
    Error_Last.clear();
    EXPECT_EQ(Variable_SetValue(&self, Id(c.name), c.index, ScriptValue(c.value)), c.accepted) << c.name;
    if (std::string(c.name) == "phy_rotation") {
      ScriptValue out;
      EXPECT_FALSE(Variable_GetValue(&self, Id(c.name), 0, out));  // no body
      continue;
    }
    if (std::string(c.name) == "id") continue;
    EXPECT_DOUBLE_EQ(Get(c.name, c.readIndex, &self).real, c.read) << c.name << "[" << c.index << "]";
  }
}

TEST_F(BuiltinVariables, RoomSpeedRefusalIsShownAndNotFatal) {
  EXPECT_FALSE(Set("room_speed", 0.4));
  EXPECT_NE(Error_Last.find("Trying to set the room speed to a value <= 0."), std::string::npos) << Error_Last;
  EXPECT_FALSE(Error_FatalShown);
  EXPECT_EQ(room.speed, 30);
}

TEST_F(BuiltinVariables, IndexedReadsAndInstanceIds) {
  CInstance& a = Add(5);
  CInstance& b = Add(1);
  EXPECT_DOUBLE_EQ(Get("instance_count").real, 2);
  EXPECT_DOUBLE_EQ(Get("instance_id", 0).real, b.id);  // list order: by depth
  EXPECT_DOUBLE_EQ(Get("instance_id", 1).real, a.id);
  EXPECT_DOUBLE_EQ(Get("instance_id", 2).real, -4);  // instance_id[instance_count]
  EXPECT_DOUBLE_EQ(Get("instance_id", -1).real, -4);

  a.SetAlarm(0, 7);
  EXPECT_DOUBLE_EQ(Get("alarm", 12, &a).real, 7);
  Code_Argument_Set(0, ScriptValue(std::string("first")));
  EXPECT_EQ(Get("argument", 16).Text(), "first");
  ASSERT_TRUE(Variable_SetValue(nullptr, Id("argument"), 3, ScriptValue(std::string("fourth"))));
  EXPECT_EQ(Get("argument3").Text(), "fourth");

  room.backgrounds[0].index = 3;
  room.backgrounds[1].index = 4;
  EXPECT_DOUBLE_EQ(Get("background_width", 9).real, 64);
  EXPECT_DOUBLE_EQ(Get("background_height", 0).real, 32);
  EXPECT_DOUBLE_EQ(Get("background_width", 1).real, 0);  // no such background
}

// Without a hook of its own the table asks the background table.
TEST_F(BuiltinVariables, BackgroundSizesComeFromTheBackgroundTable) {
  Variable_BuiltIn_ResetWorld();
  Variable_BuiltIn_World().currentRoom = [this] { return &room; };
  const int32_t made = Background_AddNew();
  Background_Data(made)->CreateColor(48, 20, 0xFFFFFF, false);
  room.backgrounds[2].index = made;
  EXPECT_DOUBLE_EQ(Get("background_width", 2).real, 48);
  EXPECT_DOUBLE_EQ(Get("background_height", 2).real, 20);
  room.backgrounds[2].index = made + 1;
  EXPECT_DOUBLE_EQ(Get("background_width", 2).real, 0);
  Background_FreeAll();
}

TEST_F(BuiltinVariables, CaptionsAndTextsKeepTheirOwnCopies) {
  {
    std::string temporary = "Points: ";
    ASSERT_TRUE(Variable_SetValue(nullptr, Id("caption_score"), 0, ScriptValue(temporary)));
  }
  EXPECT_EQ(Get("caption_score").Text(), "Points: ");
  EXPECT_EQ(Get("caption_health").Text(), "Health: ");
  ASSERT_TRUE(Variable_SetValue(nullptr, Id("room_caption"), 0, ScriptValue(std::string("Level 1"))));
  EXPECT_EQ(room.caption, "Level 1");
  EXPECT_TRUE(Get("game_guid").IsString());
  ASSERT_TRUE(Variable_SetValue(nullptr, Id("keyboard_lastchar"), 0, ScriptValue(std::string("\xC3\xA9t\xC3\xA9"))));
  EXPECT_EQ(Get("keyboard_lastchar").Text(), "\xC3\xA9");  // a whole character
  ASSERT_TRUE(Variable_SetValue(nullptr, Id("keyboard_lastchar"), 0, ScriptValue(std::string())));
  EXPECT_EQ(Get("keyboard_lastchar").Text(), "\xC3\xA9");  // empty changes nothing
  ASSERT_TRUE(Variable_SetValue(nullptr, Id("keyboard_string"), 0, ScriptValue(std::string("na\xC3\xAFve"))));
  EXPECT_EQ(Get("keyboard_string").Text(), "na\xC3\xAFve");
  ASSERT_TRUE(Set("keyboard_lastkey", 65.4));
  EXPECT_DOUBLE_EQ(Get("keyboard_lastkey").real, 65);
  ASSERT_TRUE(Set("mouse_lastbutton", 2));
  EXPECT_DOUBLE_EQ(Get("mouse_lastbutton").real, 2);
  IO_Clear();
}

TEST_F(BuiltinVariables, DatesCountMonthsFromOneAndDaysOfTheMonth) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_DOUBLE_EQ(Get("current_month").real, local.tm_mon + 1);
  EXPECT_DOUBLE_EQ(Get("current_day").real, local.tm_mday);
  EXPECT_DOUBLE_EQ(Get("current_weekday").real, local.tm_wday);
  EXPECT_DOUBLE_EQ(Get("current_year").real, local.tm_year + 1900);
}

TEST_F(BuiltinVariables, DepthMovesTheInstanceBehindEqualDepths) {
  CInstance& a = Add(10);
  CInstance& b = Add(10);
  CInstance& c = Add(0);
  ASSERT_EQ(room.active.first, &c);
  ASSERT_TRUE(Set("depth", 10, 0, &c));
  EXPECT_EQ(room.active.first, &a);
  EXPECT_EQ(a.next, &b);
  EXPECT_EQ(b.next, &c);
  EXPECT_EQ(room.active.last, &c);
  EXPECT_EQ(room.active.count, 3);
  ASSERT_TRUE(Set("depth", -5, 0, &b));
  EXPECT_EQ(room.active.first, &b);
  EXPECT_EQ(b.next, &a);
  EXPECT_EQ(a.next, &c);
}

// lives and health raise their events for every instance when they run out, once.
TEST_F(BuiltinVariables, LivesAndHealthRunningOutRaiseTheirEventsOnce) {
  GameDataWriter game = TestGame();
  game.objects[0].events.push_back({7, 6, {"note(\"no lives\");"}});
  game.objects[0].events.push_back({7, 9, {"note(\"no health\");"}});
  ConsoleCapture console;
  ASSERT_EQ(GameData_LoadImage(game.Build()), GameLoadResult::Loaded) << console.Text();
  ASSERT_TRUE(Object_Prepare());
  Add(0);
  Add(0);
  for (bool vm : {true, false}) {
    Code_SetUseVM(vm);
    Notes().clear();
    Run_Global_Init();
    CCode code("lives = 1; lives = 0; lives = -1; health = 0.5; health = -2;", false);
    ASSERT_TRUE(code.Compile("Test")) << Compiler_LastError().text;
    ScriptValue result;
    ASSERT_TRUE(Code_Run(instances[0].get(), instances[0].get(), code, result)) << Compiler_LastError().text;
    EXPECT_EQ(Notes(), (std::vector<std::string>{"no lives", "no lives", "no health", "no health"}))
        << (vm ? "machine" : "tree");
  }
}

TEST_F(BuiltinVariables, TreeReportsAWriteToAReadOnlyVariable) {
  CInstance& self = Add(0);
  Code_SetUseVM(false);
  CCode code("id = 3;", false);
  ASSERT_TRUE(code.Compile("Test"));
  ScriptValue result;
  EXPECT_FALSE(Code_Run(&self, &self, code, result));
  EXPECT_NE(Compiler_LastError().text.find("Cannot assign to the variable"), std::string::npos);
}

TEST_F(BuiltinVariables, WorkingDirectoryIsSetOnce) {
  ConsoleCapture console;
  Variable_SetWorkingDirectory("/games/demo/data.win");
  Variable_SetWorkingDirectory("/elsewhere/data.win");
  EXPECT_EQ(Variable_WorkingDirectory(), "/games/demo");
  EXPECT_EQ(Get("working_directory").Text(), "/games/demo");
  EXPECT_TRUE(console.Contains("####!!!!$$$$$$ pwd - /games/demo\n")) << console.Text();
}

}  // namespace

// Every variable the machine reads from its field itself gives what its getter gives, in each
// record that reads a variable whole, on the machine (decoded and byte by byte) and in the tree
// interpreter; without a room the room's fields read 0.
TEST_F(BuiltinVariables, PlainFieldsReadAsTheirGettersGiveThem) {
  CInstance& self = Add(0);
  using Kind = BuiltinPlainField::Kind;
  std::vector<int32_t> plain;
  for (int32_t id = 0; id < Variable_BuiltIn_Count(); ++id) {
    const BuiltinPlainField& field = Variable_BuiltIn_Entry(id)->field;
    switch (field.kind) {  // a value of its own in each field
      case Kind::None: continue;
      case Kind::Float: self.*field.f = 0.25f + static_cast<float>(id); break;
      case Kind::Int: self.*field.i = 3 * id + 1; break;
      case Kind::UInt: self.*field.u = 0x10000u + static_cast<uint32_t>(id); break;
      case Kind::Bool: self.*field.b = id % 2 == 0; break;
      case Kind::RoomInt: room.*field.roomI = 1000 + id; break;
      case Kind::RoomUInt: room.*field.roomU = 0x20000u + static_cast<uint32_t>(id); break;
      case Kind::RoomBool: room.*field.roomB = id % 2 != 0; break;
    }
    plain.push_back(id);
  }
  for (const char* name : {"x", "depth", "visible", "image_blend", "room_width", "view_enabled"}) {
    EXPECT_NE(std::find(plain.begin(), plain.end(), Id(name)), plain.end()) << name;
  }
  auto value = [&self](const char* name) {
    ScriptValue out;
    Variable_GetValue(&self, Code_Variable_Find(name), 0, out);
    return out.real;
  };
  enum class Mode { Decoded, ByteLoop, Tree };
  for (Mode mode : {Mode::Decoded, Mode::ByteLoop, Mode::Tree}) {
    Code_SetUseVM(mode != Mode::Tree);
    if (mode == Mode::ByteLoop) VM_Breakpoint_Add("Nowhere.at.all", 1);
    for (int32_t id : plain) {
      const std::string name = Variable_BuiltIn_Entry(id)->name;
      SCOPED_TRACE(name + " in mode " + std::to_string(static_cast<int>(mode)));
      const double expected = Get(name.c_str(), 0, &self).real;
      const std::string program = "a = N; b = N * 2; c = 0; if (N >= a) c += 1; if (N < 1000000) c += 2;"
                                  "if (a <= N) c += 4; if (N != N) c = -1;";
      std::string text;
      for (char ch : program) text += ch == 'N' ? name : std::string(1, ch);
      CCode code(text, false);
      ASSERT_TRUE(code.Compile("Test")) << Compiler_LastError().text;
      ScriptValue result;
      ASSERT_TRUE(Code_Run(&self, &self, code, result));
      EXPECT_EQ(value("a"), expected);
      EXPECT_EQ(value("b"), expected * 2);
      EXPECT_EQ(value("c"), 7);
    }
    Variable_BuiltIn_World().currentRoom = nullptr;
    CCode code("a = room_width; c = 0; if (room_height < 1) c = 1;", false);
    ASSERT_TRUE(code.Compile("Test"));
    ScriptValue result;
    ASSERT_TRUE(Code_Run(&self, &self, code, result));
    EXPECT_EQ(value("a"), 0);
    EXPECT_EQ(value("c"), 1);
    Variable_BuiltIn_World().currentRoom = [this] { return &room; };
    VM_Breakpoint_Clear();
  }
}

// v += k and the like store through the variable's own rule whatever runs them: built-ins
// through their setters (rounded, narrowed, moved), the instance's variables in place.
TEST_F(BuiltinVariables, UpdatesStoreByTheVariablesRules) {
  for (int mode = 0; mode < 3; ++mode) {
    SCOPED_TRACE(mode);
    Code_SetUseVM(mode != 2);
    if (mode == 1) VM_Breakpoint_Add("Nowhere.at.all", 1);
    CInstance& self = Add(0);
    self.x = 1.0f;
    self.hspeed = 2.0f;
    CCode code("x += 1.5; x -= 0.25; y += 3; hspeed *= 2; visible -= 1; image_blend += 1;"
               "sprite_index += 0.6; n = 1; n += 2; n *= 0.5; t = \"a\"; depth -= 7;",
               false);
    ASSERT_TRUE(code.Compile("Test")) << Compiler_LastError().text;
    ScriptValue result;
    ASSERT_TRUE(Code_Run(&self, &self, code, result));
    EXPECT_EQ(self.x, 2.25f);
    EXPECT_EQ(self.y, 3.0f);
    EXPECT_EQ(self.hspeed, 4.0f);
    EXPECT_FALSE(self.visible);
    EXPECT_EQ(self.image_blend, 0x1000000u);
    EXPECT_EQ(self.sprite_index, 0);
    EXPECT_EQ(self.depth, -7.0f);
    EXPECT_EQ(room.active.last, &self);  // behind the instances of the earlier rounds
    ScriptValue n;
    Variable_GetValue(&self, Code_Variable_Find("n"), 0, n);
    EXPECT_EQ(n.real, 1.5);
    VM_Breakpoint_Clear();
  }
}

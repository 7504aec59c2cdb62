#include "executors_fixture.h"

#include <cstring>

#include "data/code_table.h"
#include "data/game_data.h"
#include "data/game_loader.h"
#include "platform/console.h"
#include "script/code.h"
#include "script/code_exec.h"
#include "script/compiler/compile_error_sink.h"
#include "script/vm/vm_strings.h"
#include "stored_bytecode.h"
#include "support/game_data_writer.h"

namespace vmtest {
namespace {

// Scripts of the test world, run the way Script_Perform runs the game's.
bool RunWorldScript(int32_t number, CInstance* self, CInstance* other, int32_t argc,
                    ScriptValue& result, const ScriptValue* args) {
  auto& scripts = TheWorld().scripts;
  if (number < 0 || number >= static_cast<int32_t>(scripts.size()) || !scripts[number]) {
    return false;
  }
  ArgumentWindow window;
  for (int32_t i = 0; i < kArgumentSlotCount; ++i) {
    window[i] = i < argc ? args[i] : ScriptValue();
  }
  Code_ArgumentCount = argc;
  return Code_Execute_Value(self, other, *scripts[number], result);
}

}  // namespace

const char* ExecutorName(Executor executor) {
  switch (executor) {
    case Executor::Decoded: return "machine";
    case Executor::ByteLoop: return "machine, byte loop";
    case Executor::Tree: return "tree";
    case Executor::Stored: return "machine, stored bytecode";
  }
  return "?";
}

void ExecutorsTest::SetUp() {
  VMTest::SetUp();
  Code_Exec_Install();
  Code_Exec_SetScriptCall(RunWorldScript);
}

void ExecutorsTest::TearDown() {
  Code_SetUseVM(true);
  VM_Breakpoint_Clear();
  VMTest::TearDown();
}

ExecutorsTest::Outcome ExecutorsTest::RunOn(Executor executor, const std::string& program,
                                            const std::vector<ScriptValue>& args) {
  const bool vm = executor != Executor::Tree;
  Code_SetUseVM(vm);
  // A breakpoint anywhere makes the machine take every step in its byte loop.
  VM_Breakpoint_Clear();
  if (executor == Executor::ByteLoop) VM_Breakpoint_Add("Nowhere.at.all", 1);
  TheWorld().errors.clear();
  TheWorld().recorded.clear();
  for (auto& instance : TheWorld().room) instance->variables->Clear();
  Variable_Global_Init();
  for (int32_t i = 0; i < kArgumentSlotCount; ++i) {
    Code_Arguments[i] = static_cast<size_t>(i) < args.size() ? args[i] : ScriptValue();
  }
  Code_ArgumentCount = static_cast<int32_t>(args.size());
  Outcome out;
  CCode code(program, false);
  if (!code.Compile("Test.program")) {
    out.error = "compile: " + Compiler_LastError().text;
  } else {
    std::unique_ptr<CCode> stored;
    if (executor == Executor::Stored) stored = ThroughGameFile(code, out.error);
    const CCode& run = stored ? *stored : code;
    if (out.error.empty()) {
      if (!Code_Run(self, self, run, out.result)) out.error = Compiler_LastError().text;
      if (vm && !Errors().empty()) out.error = Errors()[0];
      out.r = Var("r");
    }
    if (executor == Executor::Stored) RestoreWorldScripts();
  }
  VM_Breakpoint_Clear();
  Code_SetUseVM(true);
  return out;
}

std::unique_ptr<CCode> ExecutorsTest::ThroughGameFile(const CCode& program, std::string& error) {
  World& world = TheWorld();
  const auto scriptName = [&world](int32_t n) {
    return n >= 0 && static_cast<size_t>(n) < world.scriptNames.size() ? world.scriptNames[static_cast<size_t>(n)]
                                                                       : std::string();
  };
  // The file names the world's scripts in their order, so a call finds the same script number.
  GameDataWriter game = TestGame();
  game.scripts.clear();
  game.code.push_back(StoredBytecode_FromCode(program, game, scriptName));
  for (size_t i = 0; i < world.scripts.size(); ++i) {
    gamedata::Script script{world.scriptNames[i], {}};
    if (world.scripts[i] != nullptr) {
      script.code.stored = static_cast<int32_t>(game.code.size());
      game.code.push_back(StoredBytecode_FromCode(*world.scripts[i], game, scriptName));
    }
    game.scripts.push_back(script);
  }
  TMemoryConsole quiet;
  tagIConsole* saved = g_DebugConsole;
  g_DebugConsole = &quiet;
  const GameLoadResult loaded = GameData_LoadImage(game.Build());
  g_DebugConsole = saved;
  // Loading installs the game's own tables; point the lookups back at the world.
  InstallScriptLookups();
  InstallWorldHooks();
  VM_SetFileStrings(StringTable_Count, StringTable_Get);
  if (loaded != GameLoadResult::Loaded) {
    error = "the game file did not load: " + quiet.Text();
    return nullptr;
  }
  compiledScripts_ = std::move(world.scripts);
  world.scripts.clear();
  for (size_t i = 0; i < compiledScripts_.size(); ++i) {
    const int32_t entry = game.scripts[i].code.stored;
    world.scripts.push_back(entry < 0 ? nullptr : CCode::Stored(entry, false));
  }
  return CCode::Stored(0, false);
}

void ExecutorsTest::RestoreWorldScripts() {
  if (!compiledScripts_.empty()) TheWorld().scripts = std::move(compiledScripts_);
  compiledScripts_.clear();
  Code_SetStoredTable({});
  CodeTable_Clear();
}

void AddBuiltinOnce(const char* name, BuiltinFunction implementation, int32_t argc) {
  int32_t id = -1;
  if (!Function_Find(name, id)) Function_Add(name, implementation, argc);
}

bool SameValue(const ScriptValue& a, const ScriptValue& b) {
  if (a.Kind() != b.Kind()) return false;
  if (a.IsString()) return a.Text() == b.Text();
  return a.real == b.real || (a.real != a.real && b.real != b.real);
}

std::string ShowValue(const ScriptValue& v) {
  if (v.IsString()) return "\"" + std::string(v.Text()) + "\"";
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", v.real);
  return text;
}

}  // namespace vmtest

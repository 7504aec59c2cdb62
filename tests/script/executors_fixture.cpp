#include "executors_fixture.h"

#include <cstring>

#include "script/code.h"
#include "script/code_exec.h"
#include "script/compiler/compile_error_sink.h"

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
    if (!Code_Run(self, self, code, out.result)) out.error = Compiler_LastError().text;
    if (vm && !Errors().empty()) out.error = Errors()[0];
    out.r = Var("r");
  }
  VM_Breakpoint_Clear();
  Code_SetUseVM(true);
  return out;
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

#include "vm_fixture.h"

#include "script/code.h"

namespace vmtest {

World& TheWorld() {
  static World world;
  return world;
}

namespace {

bool FindScript(const char* name, int32_t& number) {
  const auto& names = TheWorld().scriptNames;
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) {
      number = static_cast<int32_t>(i);
      return true;
    }
  }
  return false;
}

const CCode* GetScript(int32_t number) {
  auto& scripts = TheWorld().scripts;
  if (number < 0 || number >= static_cast<int32_t>(scripts.size())) return nullptr;
  return scripts[static_cast<size_t>(number)].get();
}

}  // namespace

void Prepare() {
  // Every test installs all of it again: a test before it in the process may have swapped or
  // cleared any of these hooks.
  VM_Install();
  Code_SetUseVM(true);
  InstallTestBuiltins();
  InstallScriptLookups();
  InstallWorldHooks();
}

void InstallScriptLookups() {
  Function_SetScriptLookup(FindScript);
  VM_SetScriptLookup(GetScript);
}

CInstance& AddInstance(int32_t id, int32_t objectIndex) {
  auto instance = std::make_unique<CInstance>(0.0f, 0.0f, id, objectIndex, true);
  Instance_IdHash_Add(*instance);
  TheWorld().room.push_back(std::move(instance));
  return *TheWorld().room.back();
}

void AddScript(const std::string& name, const std::string& text) {
  World& w = TheWorld();
  int32_t number = -1;
  if (!FindScript(name.c_str(), number)) {
    number = static_cast<int32_t>(w.scripts.size());
    w.scriptNames.push_back(name);
    w.scripts.emplace_back();
  }
  auto code = std::make_unique<CCode>(text, false);
  bool ok = code->Compile("Script." + name);
  EXPECT_TRUE(ok) << Compiler_LastError().text;
  w.scripts[static_cast<size_t>(number)] = std::move(code);
}

void VMTest::SetUp() {
  Prepare();
  World& w = TheWorld();
  w.room.clear();
  w.recorded.clear();
  w.errors.clear();
  Variable_Global_Init();
  VM_SetErrorHandler(
      [](const std::string& message, const std::string&) { TheWorld().errors.push_back(message); });
  self = &AddInstance(100001, 0);
}

void VMTest::TearDown() {
  World& w = TheWorld();
  w.room.clear();
  // The next test numbers its scripts from 0 again.
  w.scripts.clear();
  w.scriptNames.clear();
}

bool VMTest::Run(const std::string& program, ScriptValue* result) {
  CCode code(program, false);
  if (!code.Compile("Test.program")) {
    ADD_FAILURE() << "compile: " << Compiler_LastError().text;
    return false;
  }
  ScriptValue ignored;
  Code_Run(self, self, code, result != nullptr ? *result : ignored);
  return true;
}

ScriptValue VMTest::Eval(const std::string& expression) {
  CCode code(expression, true);
  ScriptValue result;
  if (!code.Compile("Test.expression")) {
    ADD_FAILURE() << "compile: " << Compiler_LastError().text;
    return result;
  }
  Code_Run(self, self, code, result);
  return result;
}

ScriptValue VMTest::Var(const std::string& name, int32_t index) { return VarOf(self, name, index); }

}  // namespace vmtest

// Runs script text on the virtual machine: a self instance, a small room of instances,
// scripts by name, a recording built-in, and machine errors captured instead of ending
// the process.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runner/instance.h"
class CCode;
#include "script/compiler/compile_error_sink.h"
#include "script/compiler/user_variables.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/script_arguments.h"
#include "script/vm/vm.h"

namespace vmtest {

struct World {
  std::vector<std::unique_ptr<CInstance>> room;  // the active list, in order
  std::vector<std::unique_ptr<CCode>> scripts;
  std::vector<std::string> scriptNames;
  std::vector<ScriptValue> recorded;
  std::vector<std::string> errors;
};
World& TheWorld();

// Installs the machine, the test built-ins and the world's hooks; each test starts from an
// empty world.
void Prepare();
CInstance& AddInstance(int32_t id, int32_t objectIndex);
void InstallTestBuiltins();
void InstallWorldHooks();
ScriptValue VarOf(CInstance* instance, const std::string& name, int32_t index = 0);
// Registers a script (so calls to it compile) and compiles its text; a name given again
// keeps its script number and gets the new code.
void AddScript(const std::string& name, const std::string& text);
// Points script lookups back at the fixture's scripts (loading a game installs the game's).
void InstallScriptLookups();

class VMTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Compiles and runs a program for self; false when it did not compile.
  bool Run(const std::string& program, ScriptValue* result = nullptr);
  ScriptValue Eval(const std::string& expression);
  // A variable of self.
  ScriptValue Var(const std::string& name, int32_t index = 0);
  const std::vector<std::string>& Errors() { return TheWorld().errors; }

  CInstance* self = nullptr;
};

}  // namespace vmtest

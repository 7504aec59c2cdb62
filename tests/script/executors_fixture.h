// Runs the same program on either executor: the virtual machine on its decoded records, the
// machine's byte loop alone, or the parse-tree interpreter ("-oldexec"); the fixture's
// scripts are reached from both.
#pragma once

#include <string>
#include <vector>

#include "vm_fixture.h"

namespace vmtest {

enum class Executor { Decoded, ByteLoop, Tree };
const char* ExecutorName(Executor executor);

class ExecutorsTest : public VMTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  struct Outcome {
    ScriptValue r;       // self's r after the run
    ScriptValue result;  // what the code gave back (its return at the top level)
    std::string error;   // the tree's compile-style text or the machine's first error
  };

  // Compiles and runs program on one executor, from fresh instances and globals, with
  // the argument slots holding args.
  Outcome RunOn(Executor executor, const std::string& program,
                const std::vector<ScriptValue>& args = {});
};

// Registers a built-in of the test unless a test before registered it.
void AddBuiltinOnce(const char* name, BuiltinFunction implementation, int32_t argc);

// Both values alike: kind, number and text.
bool SameValue(const ScriptValue& a, const ScriptValue& b);
std::string ShowValue(const ScriptValue& v);

}  // namespace vmtest

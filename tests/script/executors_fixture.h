// Runs the same program on either executor: the virtual machine on its decoded records, the
// machine's byte loop alone, or the parse-tree interpreter ("-oldexec"); the fixture's
// scripts are reached from both.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "script/code.h"
#include "vm_fixture.h"

namespace vmtest {

// Stored: the program and the world's scripts compiled, written into a game file as stored
// bytecode, loaded back by the game data loader and run from the loaded entries on the machine.
enum class Executor { Decoded, ByteLoop, Tree, Stored };
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

 private:
  // The program through a game file: the loaded stored entry of the program, with the world's
  // scripts replaced by theirs for the run (RestoreWorldScripts puts them back).
  std::unique_ptr<CCode> ThroughGameFile(const CCode& program, std::string& error);
  void RestoreWorldScripts();
  std::vector<std::unique_ptr<CCode>> compiledScripts_;
};

// Registers a built-in of the test unless a test before registered it.
void AddBuiltinOnce(const char* name, BuiltinFunction implementation, int32_t argc);

// Both values alike: kind, number and text.
bool SameValue(const ScriptValue& a, const ScriptValue& b);
std::string ShowValue(const ScriptValue& v);

}  // namespace vmtest

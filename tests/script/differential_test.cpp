// Random valid programs run on the virtual machine (its decoded records and its byte loop), on
// the machine from stored bytecode (the program and its scripts written into a game file and
// loaded back, as the game-creation tool's games are) and on the parse-tree interpreter
// ("-oldexec"): everything they record must be the same.
//
// The executors differ by design in these places, which the generated programs stay clear of
// (tree_exec_test.cpp shows each difference):
// - comparing reals: exact on the tree, equal within 1e-05 on the machine (programs compare
//   only integer-valued numbers and strings);
// - truth: loops on the tree take 0.5 as true, the machine takes only values above 0.5 (every
//   condition is a comparison or a logical operation, 0 or 1);
// - numbers made integers: the tree rounds half to even, the machine truncates (repeat
//   counts, array indices, div, mod, the bitwise operators and shifts take integers; those
//   operands are clamped to where both convert alike);
// - the machine divides and multiplies two 32-bit integer operands (bitwise results) as
//   integers (such results reach arithmetic only through a call);
// - division by 0 and mod 0 (divisors are positive); reading a variable never set: the tree
//   reports "Unknown variable" unless the unknown-variable option is on, the machine reads
//   0 (every variable is set before it is read); errors: the tree reports them and goes on,
//   the machine ends the game (the programs make none);
// - the order with (all) visits more than two instances in (bodies over all instances only
//   update each instance's own variables and add bounded values into globals, so that the
//   sums are exact in any order);
// - the order of evaluation: the machine works out a call's arguments last to first, the
//   tree first to last; for an assignment to an element the tree works out the index before
//   the value, the machine after it; for a compound assignment (+= and the like) the machine
//   reads the target before the value and works out its index twice, the tree reads it after
//   the value (where this matters a script call changes what the other parts read: calls
//   with several arguments, assignments to elements and compound assignments call no script);
// - a switch on a number with a string case (labels have the switch value's type); break
//   and continue outside loops (only inside them); a lone ";" opening a block (never made);
//   globalvar at compile time on the machine (not used).
//
// KF_DIFFERENTIAL_PROGRAMS and KF_DIFFERENTIAL_SEED run another count of programs from
// another first seed (the long run).
#include <cstdlib>
#include <string>
#include <vector>

#include "executors_fixture.h"
#include "functions/number_functions.h"
#include "program_generator.h"

namespace vmtest {
namespace {

uint64_t EnvNumber(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

std::string ShowRecord(const std::vector<ScriptValue>& values) {
  std::string out;
  for (const ScriptValue& v : values) out += ShowValue(v) + " ";
  return out;
}

class Differential : public ExecutorsTest {
 protected:
  void SetUp() override {
    ExecutorsTest::SetUp();
    int32_t id = -1;
    if (!Function_Find("string_length", id)) InitMathFunctions();
    AddInstance(kGeneratedInstances[1], 1);
    AddInstance(kGeneratedInstances[2], 1);
  }

  struct Run {
    std::vector<ScriptValue> recorded;
    std::string error;
  };

  Run RunProgram(Executor executor, const GeneratedProgram& program) {
    Outcome out = RunOn(executor, program.event);
    return {TheWorld().recorded, out.error};
  }

  static bool Same(const Run& a, const Run& b) {
    if (a.error != b.error || a.recorded.size() != b.recorded.size()) return false;
    for (size_t i = 0; i < a.recorded.size(); ++i) {
      if (!SameValue(a.recorded[i], b.recorded[i])) return false;
    }
    return true;
  }

  // Runs count programs from first; the number that diverged or failed.
  int RunPrograms(uint64_t first, uint64_t count) {
    int bad = 0;
    for (uint64_t seed = first; seed < first + count; ++seed) {
      // Every program names its scripts alike: each replaces the code of the one before.
      const GeneratedProgram program = Generate_Program(seed, "gen");
      // Each script calls only later ones: those are known when it compiles.
      for (auto it = program.scripts.rbegin(); it != program.scripts.rend(); ++it) {
        AddScript(it->name, it->body);
      }
      const Run tree = RunProgram(Executor::Tree, program);
      const Run decoded = RunProgram(Executor::Decoded, program);
      const Run byteLoop = RunProgram(Executor::ByteLoop, program);
      const Run stored = RunProgram(Executor::Stored, program);
      if (tree.error.empty() && Same(tree, decoded) && Same(tree, byteLoop) && Same(tree, stored)) continue;
      ++bad;
      std::string scripts;
      for (const GeneratedScript& script : program.scripts) {
        scripts += "script " + script.name + ":\n" + script.body + "\n";
      }
      ADD_FAILURE() << "seed " << seed << "\n" << scripts << "event:\n" << program.event
                    << "\ntree:    " << ShowRecord(tree.recorded) << tree.error
                    << "\nmachine: " << ShowRecord(decoded.recorded) << decoded.error
                    << "\nbytes:   " << ShowRecord(byteLoop.recorded) << byteLoop.error
                    << "\nstored:  " << ShowRecord(stored.recorded) << stored.error;
    }
    return bad;
  }
};

TEST_F(Differential, RandomProgramsGiveTheSameRecordOnBothExecutors) {
  const uint64_t count = EnvNumber("KF_DIFFERENTIAL_PROGRAMS", 300);
  const uint64_t first = EnvNumber("KF_DIFFERENTIAL_SEED", 1);
  const int bad = RunPrograms(first, count);
  EXPECT_EQ(bad, 0);
  std::printf("%llu programs from seed %llu, %d diverged\n", static_cast<unsigned long long>(count),
              static_cast<unsigned long long>(first), bad);
}

}  // namespace
}  // namespace vmtest

// Damaged bytecode: random instruction streams end in a machine error or run to their end,
// never reading outside the code or the stack (the sanitizer build checks the reads).
#include <cstdint>
#include <vector>

#include "script/vm/vm_opcodes.h"
#include "vm_fixture.h"

namespace vmtest {
namespace {

// A fixed-seed generator keeps the cases the same on every run.
struct Random {
  uint64_t state = 0x2545F4914F6CDD1Dull;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<uint32_t>(state >> 16);
  }
};

TEST_F(VMTest, RandomInstructionStreamsFailCleanly) {
  // Branches, with environments and calls are left out: a random branch may loop for ever
  // (which is no fault), and calls would reach the test's own built-ins.
  std::vector<uint8_t> opcodes;
  for (int op = 0; op < 256; ++op) {
    VMOperand kind = kVMOpcodeTable[static_cast<size_t>(op)].operand;
    if (kVMOpcodeTable[static_cast<size_t>(op)].name.empty() || kind == VMOperand::Branch ||
        kind == VMOperand::Function) {
      continue;
    }
    opcodes.push_back(static_cast<uint8_t>(op));
  }
  opcodes.push_back(0x00);  // an unassigned value
  Random random;
  int ended = 0, failed = 0;
  for (int program = 0; program < 3000; ++program) {
    std::vector<uint8_t> bytes;
    const int words = 1 + static_cast<int>(random.Next() % 24);
    for (int i = 0; i < words; ++i) {
      uint32_t word;
      if (random.Next() % 4 == 0) {
        word = random.Next() ^ (random.Next() << 16);  // an operand or pure noise
      } else {
        uint32_t op = opcodes[random.Next() % opcodes.size()];
        uint32_t type = random.Next() % 3 == 0 ? random.Next() & 0xFF : (random.Next() % 7) * 0x11;
        word = (op << 24) | (type << 16) | (random.Next() & 0xFFFF);
      }
      for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(word >> (8 * b)));
    }
    // Sometimes cut the last word short.
    if (random.Next() % 5 == 0) bytes.resize(bytes.size() - 1 - random.Next() % 3);
    VMBuffer code(std::move(bytes));
    TheWorld().errors.clear();
    ScriptValue result;
    VM_Exec("damaged", self, self, code, &result, nullptr, "");
    (TheWorld().errors.empty() ? ended : failed) += 1;
  }
  // Both outcomes occur; what matters is that every run returned.
  EXPECT_GT(ended, 0);
  EXPECT_GT(failed, 0);
  // The machine still runs good code afterwards.
  ASSERT_TRUE(Run("r = 6 * 7;"));
  EXPECT_DOUBLE_EQ(Var("r").real, 42);
}

}  // namespace
}  // namespace vmtest

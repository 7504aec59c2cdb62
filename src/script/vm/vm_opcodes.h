// The instruction set of the virtual machine, written once. The enum, the names the
// disassembler prints, the operand widths, the generator and the machine's dispatch all
// derive from KF_VM_OPCODES; the static_asserts below keep the encoding rules in step.
//
// Instruction word: bits 24-31 opcode, bits 16-23 type byte (low nibble T = type of the top
// value or of the pushed value, high nibble U = type below it / conversion target / stored
// type), bits 0-23 a signed branch offset in words from the branch word, bits 0-15 a push
// immediate, a call's argument count or a fixed instance. Opcode bit 0x40 means an inline
// operand follows whose width comes from T.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// How the low bits of the word and the inline operand are used.
enum class VMOperand : uint8_t {
  None,      // nothing beyond the type byte
  Typed,     // an inline operand of type T (push), or a variable operand for T = .v
  Variable,  // a variable operand (pop)
  Function,  // a function id; the argument count in bits 0-15
  Branch,    // a signed 24-bit word offset
  Mark,      // a 16-bit debugger code in the word
};

// X(enum name, byte, disassembler name, operand, values popped, values pushed)
// Pops and pushes count stack values; -1 means "depends on the operand".
#define KF_VM_OPCODES(X)                                                                   \
  X(Conv, 0x03, "conv", None, 1, 1)         /* pop T, push it converted to U          */   \
  X(Mul, 0x04, "mul", None, 2, 1)           /* push U * T; number * string repeats    */   \
  X(Div, 0x05, "div", None, 2, 1)           /* push U / T (i/i divides as integers)   */   \
  X(Rem, 0x06, "rem", None, 2, 1)           /* push trunc(U / T): the word div        */   \
  X(Mod, 0x07, "mod", None, 2, 1)           /* push U mod T (sign of U): mod and %    */   \
  X(Add, 0x08, "add", None, 2, 1)           /* push U + T; strings concatenate        */   \
  X(Sub, 0x09, "sub", None, 2, 1)           /* push U - T                             */   \
  X(And, 0x0A, "and", None, 2, 1)           /* bitwise on integers, logical on .b     */   \
  X(Or, 0x0B, "or", None, 2, 1)             /* bitwise on integers, logical on .b     */   \
  X(Xor, 0x0C, "xor", None, 2, 1)           /* bitwise on integers, logical on .b     */   \
  X(Neg, 0x0D, "neg", None, 1, 1)           /* push -T                                */   \
  X(Not, 0x0E, "not", None, 1, 1)           /* push !T (.b) or ~T (integers)          */   \
  X(Shl, 0x0F, "shl", None, 2, 1)           /* push U << T                            */   \
  X(Shr, 0x10, "shr", None, 2, 1)           /* push U >> T (arithmetic)               */   \
  X(Slt, 0x11, "slt", None, 2, 1)           /* push .b U < T                          */   \
  X(Sle, 0x12, "sle", None, 2, 1)           /* push .b U <= T                         */   \
  X(Seq, 0x13, "seq", None, 2, 1)           /* push .b U == T                         */   \
  X(Sne, 0x14, "sne", None, 2, 1)           /* push .b U != T                         */   \
  X(Sge, 0x15, "sge", None, 2, 1)           /* push .b U >= T                         */   \
  X(Sgt, 0x16, "sgt", None, 2, 1)           /* push .b U > T                          */   \
  X(Pop, 0x41, "pop", Variable, -1, 0)      /* pop [index] [instance] value; store it */   \
  X(Dup, 0x82, "dup", None, 0, 1)           /* push a copy of the top (type T)        */   \
  X(Ret, 0x9D, "ret", None, 1, 0)           /* return the top (type T) from a call    */   \
  X(Exit, 0x9E, "exit", None, 0, 0)         /* end the call (result 0) or the code    */   \
  X(Popz, 0x9F, "popz", None, 1, 0)         /* discard the top (type T)               */   \
  X(B, 0xB7, "b", Branch, 0, 0)             /* pc := word + 4 * offset                */   \
  X(Bt, 0xB8, "bt", Branch, 1, 0)           /* pop .b; branch when true               */   \
  X(Bf, 0xB9, "bf", Branch, 1, 0)           /* pop .b; branch when false              */   \
  X(PushEnv, 0xBB, "pushenv", Branch, 1, 0) /* pop .i instance; open with; skip: branch */ \
  X(PopEnv, 0xBC, "popenv", Branch, 0, 0)   /* next instance: branch back; else close */   \
  X(Push, 0xC0, "push", Typed, -1, 1)       /* push constant T, or variable for .v    */   \
  X(Call, 0xDA, "call", Function, -1, 1)    /* pop argc .v arguments, push result .v  */   \
  X(Break, 0xFF, "break", Mark, 0, 0)       /* debugger mark; no operation            */

enum class VMOpcode : uint8_t {
#define KF_VM_ENUM(name, byte, text, operand, pops, pushes) name = byte,
  KF_VM_OPCODES(KF_VM_ENUM)
#undef KF_VM_ENUM
};

// Type codes of the type byte's nibbles.
enum class VMType : uint8_t {
  Double = 0,  // .d
  Float = 1,   // .f
  Int = 2,     // .i
  Long = 3,    // .l
  Bool = 4,    // .b
  Var = 5,     // .v  a whole script value
  String = 6,  // .s  in code: a u32 index into the string table
  Error = 15,  // .e  16-bit immediate in the word (pushed as .i); the empty type stack
};

inline constexpr uint8_t kVMOperandFollows = 0x40;
// The closing form of popenv (type byte 0xF0): leaves a with environment at once.
inline constexpr uint32_t kVMPopEnvClose = 0xBCF00000u;

// Variable operand bits.
inline constexpr uint32_t kVMVarIdMask = 0x1FFFFFFFu;
inline constexpr uint32_t kVMVarFixedInstance = 1u << 29;  // instance in the word's low 16 bits
inline constexpr uint32_t kVMVarInstanceId = 1u << 30;     // add 100000 to that instance
inline constexpr uint32_t kVMVarNoIndex = 1u << 31;        // no array index on the stack

struct VMOpcodeInfo {
  std::string_view name;  // empty: not an opcode (executed as no operation)
  VMOperand operand = VMOperand::None;
  int8_t pops = 0;
  int8_t pushes = 0;
};

// Indexed by the opcode byte.
inline constexpr std::array<VMOpcodeInfo, 256> kVMOpcodeTable = [] {
  std::array<VMOpcodeInfo, 256> table{};
#define KF_VM_INFO(name, byte, text, operand, pops, pushes) \
  table[byte] = VMOpcodeInfo{text, VMOperand::operand, pops, pushes};
  KF_VM_OPCODES(KF_VM_INFO)
#undef KF_VM_INFO
  return table;
}();

inline constexpr int kVMOpcodeCount = [] {
  int n = 0;
#define KF_VM_COUNT(name, byte, text, operand, pops, pushes) ++n;
  KF_VM_OPCODES(KF_VM_COUNT)
#undef KF_VM_COUNT
  return n;
}();

// How many type suffixes the disassembler prints: one for bit 7 set and bit 5 clear, two
// for both clear, none for the branches and environment opcodes.
constexpr int VM_SuffixCount(uint8_t opcode) {
  if ((opcode & 0x80) != 0) return (opcode & 0x20) == 0 ? 1 : 0;
  return (opcode & 0x20) == 0 ? 2 : 0;
}

// Stack-slot size of a type on the original machine (.d .f .i .l .b .v .s); 0 for others.
// Overflow limits and the generator's result types are measured with these, whatever the
// host stores.
constexpr int32_t VM_SlotSize(uint32_t type) {
  constexpr int32_t sizes[7] = {8, 4, 4, 8, 4, 16, 4};
  return type < 7 ? sizes[type] : 0;
}

// Width of the inline operand for a type byte (its low nibble).
inline constexpr std::array<uint8_t, 16> kVMOperandSizes = {8, 4, 4, 8, 4, 4, 4, 0,
                                                            0, 0, 0, 0, 0, 0, 0, 0};
constexpr int32_t VM_GetOperandSize(uint32_t typeByte) { return kVMOperandSizes[typeByte & 0x0F]; }

constexpr std::string_view VM_TypeSuffix(uint32_t type) {
  constexpr std::string_view names[16] = {".d", ".f", ".i",  ".l",  ".b",  ".v",  ".s",  ".7",
                                          ".8", ".9", ".10", ".11", ".12", ".13", ".14", ".e"};
  return names[type & 15];
}

constexpr uint32_t VM_Word(VMOpcode op, uint32_t typeByte, uint32_t low = 0) {
  return (static_cast<uint32_t>(op) << 24) | ((typeByte & 0xFF) << 16) | (low & 0xFFFFFF);
}

// The encoding rules the table must obey.
constexpr bool VM_TableConsistent() {
  for (int op = 0; op < 256; ++op) {
    const VMOpcodeInfo& info = kVMOpcodeTable[static_cast<size_t>(op)];
    if (info.name.empty()) continue;
    bool inlineOperand = (op & kVMOperandFollows) != 0;
    bool wantsOperand = info.operand == VMOperand::Typed || info.operand == VMOperand::Variable ||
                        info.operand == VMOperand::Function || info.operand == VMOperand::Mark;
    // break (0xFF) carries the bit but its type byte gives it no operand.
    if (inlineOperand != wantsOperand) return false;
    // Branch-like opcodes are exactly those with bit 5 set among bit-7 opcodes.
    bool branch = info.operand == VMOperand::Branch;
    if (branch != ((op & 0xA0) == 0xA0 && (op & 0x40) == 0)) return false;
  }
  return true;
}

static_assert(kVMOpcodeCount == 33, "every opcode of the format is listed once");
static_assert(VM_TableConsistent(), "operand kinds agree with the opcode bits");
static_assert(kVMOpcodeTable[0xC0].name == "push" && kVMOpcodeTable[0xDA].name == "call");
static_assert(VM_SuffixCount(0xC0) == 1 && VM_SuffixCount(0x08) == 2 && VM_SuffixCount(0xB7) == 0);
static_assert(VM_SuffixCount(0x41) == 2 && VM_SuffixCount(0xBC) == 0 && VM_SuffixCount(0x9F) == 1);
static_assert(VM_Word(VMOpcode::Push, 0x0F, 5) == 0xC00F0005u);
static_assert(VM_Word(VMOpcode::Call, 0x02, 2) == 0xDA020002u);
static_assert(VM_GetOperandSize(0x00) == 8 && VM_GetOperandSize(0x03) == 8 &&
              VM_GetOperandSize(0x05) == 4 && VM_GetOperandSize(0x0F) == 0);

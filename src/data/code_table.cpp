#include "data/code_table.h"

#include <algorithm>
#include <unordered_map>

#include "script/compiler/user_variables.h"
#include "script/function_table.h"
#include "script/global_variables.h"
#include "script/vm/vm_opcodes.h"

namespace {

struct Table {
  bool active = false;
  std::vector<StoredCode> entries;
  // Per entry, which words start an instruction: a use must name one.
  std::vector<std::vector<bool>> starts;
  // Entries sorted by file offset, to find the entry that holds a file position.
  std::vector<uint32_t> byOffset;
  uint64_t totalBytes = 0;
  std::vector<std::string> globalVariables;  // GLOB: names the stored code declared globalvar
};

Table& CodeTable() {
  static Table table;
  return table;
}

// What a reference chunk's uses must be: a variable access or a call.
enum class UseKind { Variable, Call };

bool IsUse(uint32_t word, UseKind kind) {
  const uint32_t opcode = word >> 24, type = (word >> 16) & 0x0F;
  if (kind == UseKind::Call) return opcode == static_cast<uint32_t>(VMOpcode::Call);
  return (opcode == static_cast<uint32_t>(VMOpcode::Push) || opcode == static_cast<uint32_t>(VMOpcode::Pop)) &&
         type == 5;
}

// The operand word of the instruction at file position `use`, which must start an
// instruction of the expected kind inside a stored code entry.
uint32_t& OperandAt(uint64_t use, UseKind kind) {
  Table& t = CodeTable();
  auto it = std::upper_bound(t.byOffset.begin(), t.byOffset.end(), use, [&t](uint64_t pos, uint32_t i) {
    return pos < t.entries[i].fileOffset;
  });
  if (it == t.byOffset.begin()) throw GameDataError("a reference points outside the stored code");
  StoredCode& code = t.entries[*(it - 1)];
  const uint64_t relative = use - code.fileOffset;
  if (relative % 4 != 0 || relative / 4 + 1 >= code.words.size()) {
    throw GameDataError("a reference points outside the stored code");
  }
  const auto word = static_cast<size_t>(relative / 4);
  if (!t.starts[*(it - 1)][word]) throw GameDataError("a reference points into the middle of an instruction");
  if (!IsUse(code.words[word], kind)) {
    throw GameDataError(kind == UseKind::Call ? "a function reference points at an instruction that calls nothing"
                                              : "a variable reference points at an instruction with no variable");
  }
  return code.words[word + 1];
}

// Marks the words of code that start an instruction; an instruction whose operand runs past
// the end of its entry fails the load.
std::vector<bool> InstructionStarts(const std::vector<uint32_t>& words) {
  std::vector<bool> starts(words.size(), false);
  size_t pc = 0;
  while (pc < words.size()) {
    starts[pc] = true;
    const uint32_t word = words[pc++];
    if (((word >> 24) & 0x40) == 0) continue;
    const auto operandWords = static_cast<size_t>(VM_GetOperandSize((word >> 16) & 0x0F) / 4);
    if (words.size() - pc < operandWords) throw GameDataError("an instruction runs past its code");
    pc += operandWords;
  }
  return starts;
}

struct Reference {
  std::string_view name;
  uint32_t count;
  uint32_t first;
};

std::vector<Reference> References(const GameDataReader& reader, ChunkSpan body) {
  if (body.size % 12 != 0) throw GameDataError("a reference chunk is not made of 12-byte records");
  std::vector<Reference> references;
  GameDataCursor in(reader, body.offset, body.End());
  // Every use is an instruction with an operand, eight bytes at least, and no instruction
  // uses two names: all the uses of one chunk together fit in the stored code.
  const uint64_t mostUses = CodeTable().totalBytes / 8;
  uint64_t uses = 0;
  while (in.Remaining() > 0) {
    Reference r;
    r.name = reader.TextRef(in.U32());
    r.count = in.U32();
    r.first = in.U32();
    uses += r.count;
    if (uses > mostUses) throw GameDataError("more uses than the stored code has instructions");
    references.push_back(r);
  }
  return references;
}

}  // namespace

bool CodeTable_Active() { return CodeTable().active; }
uint32_t CodeTable_Count() { return static_cast<uint32_t>(CodeTable().entries.size()); }

const StoredCode* CodeTable_Get(uint32_t index) {
  const Table& t = CodeTable();
  return index < t.entries.size() ? &t.entries[index] : nullptr;
}

void CodeTable_Clear() { CodeTable() = Table{}; }

void Code_Load(const GameDataReader& reader, ChunkSpan body) {
  Table t;
  t.active = true;
  const std::vector<uint32_t> list = reader.CountedList(body.offset);
  if (uint64_t{list.size()} * 4 + 4 > body.size) throw GameDataError("the code list runs past its chunk");
  for (uint32_t offset : list) {
    StoredCode code;
    if (offset != 0) {
      code.present = true;
      code.name = std::string(reader.TextRef(reader.U32(offset)));
      const uint32_t length = reader.U32(uint64_t{offset} + 4);
      if (length % 4 != 0) throw GameDataError("stored code is not made of whole words");
      code.fileOffset = offset + 8;
      const auto bytes = reader.Bytes(code.fileOffset, length);
      code.words.resize(length / 4);
      if (!bytes.empty()) std::memcpy(code.words.data(), bytes.data(), bytes.size());
      t.totalBytes += length;
      t.starts.push_back(InstructionStarts(code.words));
      t.byOffset.push_back(static_cast<uint32_t>(t.entries.size()));
    } else {
      t.starts.emplace_back();
    }
    t.entries.push_back(std::move(code));
  }
  std::sort(t.byOffset.begin(), t.byOffset.end(),
            [&t](uint32_t a, uint32_t b) { return t.entries[a].fileOffset < t.entries[b].fileOffset; });
  CodeTable() = std::move(t);
}

void VARI_Load(const GameDataReader& reader, ChunkSpan body) {
  for (const Reference& r : References(reader, body)) {
    // The one name table the compiler uses: built-in names give their index, any other name
    // the user id that code compiled at run time gets for it too.
    const int32_t id = Code_Variable_Find(r.name);
    if (id < 0) {
      throw UnresolvedNameError("Error on load\nUnable to find variable " + std::string(r.name) + "\n");
    }
    // Positions are file offsets; like the addresses they once were, they wrap at 32 bits.
    uint32_t position = r.first;
    for (uint32_t i = 0; i < r.count; ++i) {
      uint32_t& operand = OperandAt(position, UseKind::Variable);
      const uint32_t w = operand;
      operand = (w & 0xE0000000u) | (static_cast<uint32_t>(id) & 0x1FFFFFFFu);
      // Bits 0-28 are a signed distance to the next use.
      const int32_t distance = static_cast<int32_t>(w << 3) >> 3;
      position += static_cast<uint32_t>(distance);
    }
  }
}

void Code_ResolveAllStrings(uint32_t stringCount) {
  const Table& t = CodeTable();
  for (size_t i = 0; i < t.entries.size(); ++i) {
    const std::vector<uint32_t>& words = t.entries[i].words;
    // Code_Load has checked that every operand lies inside its entry.
    for (size_t pc = 0; pc < words.size(); ++pc) {
      if (!t.starts[i][pc]) continue;
      const uint32_t word = words[pc];
      if ((word >> 24) == static_cast<uint32_t>(VMOpcode::Push) && ((word >> 16) & 0x0F) == 6 &&
          words[pc + 1] >= stringCount) {
        throw GameDataError("a string operand is not in the string table");
      }
    }
  }
}

void GLOB_Load(const GameDataReader& reader, ChunkSpan body) {
  if (body.size % 4 != 0) throw GameDataError("the globalvar list is not made of whole words");
  GameDataCursor in(reader, body.offset, body.End());
  std::vector<std::string>& names = CodeTable().globalVariables;
  while (in.Remaining() > 0) {
    const std::string_view name = reader.TextRef(in.U32());
    if (name.empty()) throw GameDataError("a globalvar name is empty");
    names.emplace_back(name);
  }
}

void CodeTable_DeclareGlobals() {
  for (const std::string& name : CodeTable().globalVariables) {
    Variable_DeclareGlobalVar(Code_Variable_Find(name));
  }
}

void FUNC_Load(const GameDataReader& reader, ChunkSpan body) {
  for (const Reference& r : References(reader, body)) {
    int32_t id = -1;
    const std::string name(r.name);
    if (!Function_Find(name.c_str(), id) || id < 0) {
      throw UnresolvedNameError("Error on load\nUnable to find function " + name + "\n");
    }
    uint32_t position = r.first;
    for (uint32_t i = 0; i < r.count; ++i) {
      uint32_t& operand = OperandAt(position, UseKind::Call);
      const uint32_t distance = operand;
      operand = static_cast<uint32_t>(id);
      position += distance;
    }
  }
}

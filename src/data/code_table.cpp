#include "data/code_table.h"

#include <algorithm>
#include <unordered_map>

#include "script/function_table.h"

namespace {

struct Table {
  bool active = false;
  std::vector<StoredCode> entries;
  // Entries sorted by file offset, to find the entry that holds a file position.
  std::vector<uint32_t> byOffset;
  uint64_t totalBytes = 0;
};

Table& CodeTable() {
  static Table table;
  return table;
}

// User variable ids handed out by the default resolver, per loaded game.
std::unordered_map<std::string, int32_t>& DefaultVariableIds() {
  static std::unordered_map<std::string, int32_t> ids;
  return ids;
}

int32_t DefaultVariableId(std::string_view name) {
  auto& ids = DefaultVariableIds();
  const auto [it, added] = ids.emplace(std::string(name), static_cast<int32_t>(100000 + ids.size()));
  return it->second;
}

VariableResolver& Resolver() {
  static VariableResolver resolver;
  return resolver;
}

// The operand word of the instruction at file position `use`: the entry and word index.
uint32_t& OperandAt(uint64_t use) {
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
  return code.words[static_cast<size_t>(relative / 4 + 1)];
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

void CodeTable_SetVariableResolver(VariableResolver resolver) { Resolver() = std::move(resolver); }

void CodeTable_Clear() {
  CodeTable() = Table{};
  DefaultVariableIds().clear();
}

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
      t.byOffset.push_back(static_cast<uint32_t>(t.entries.size()));
    }
    t.entries.push_back(std::move(code));
  }
  std::sort(t.byOffset.begin(), t.byOffset.end(),
            [&t](uint32_t a, uint32_t b) { return t.entries[a].fileOffset < t.entries[b].fileOffset; });
  CodeTable() = std::move(t);
}

void VARI_Load(const GameDataReader& reader, ChunkSpan body) {
  for (const Reference& r : References(reader, body)) {
    const int32_t id = Resolver() ? Resolver()(r.name) : DefaultVariableId(r.name);
    if (id < 0) {
      throw UnresolvedNameError("Error on load\nUnable to find variable " + std::string(r.name) + "\n");
    }
    // Positions are file offsets; like the addresses they once were, they wrap at 32 bits.
    uint32_t position = r.first;
    for (uint32_t i = 0; i < r.count; ++i) {
      uint32_t& operand = OperandAt(position);
      const uint32_t w = operand;
      operand = (w & 0xE0000000u) | (static_cast<uint32_t>(id) & 0x1FFFFFFFu);
      // Bits 0-28 are a signed distance to the next use.
      const int32_t distance = static_cast<int32_t>(w << 3) >> 3;
      position += static_cast<uint32_t>(distance);
    }
  }
}

void Code_ResolveAllStrings(uint32_t stringCount) {
  for (const StoredCode& code : CodeTable().entries) {
    size_t pc = 0;
    while (pc < code.words.size()) {
      const uint32_t word = code.words[pc];
      const uint32_t opcode = word >> 24;
      const uint32_t type = (word >> 16) & 0x0F;
      ++pc;
      if ((opcode & 0x40) == 0) continue;
      size_t operandWords = 0;
      if (type == 0 || type == 3) operandWords = 2;                     // .d .l
      else if (type == 1 || type == 2 || type == 4 || type == 5 || type == 6) operandWords = 1;
      if (code.words.size() - pc < operandWords) throw GameDataError("an instruction runs past its code");
      if (type == 6 && code.words[pc] >= stringCount) {
        throw GameDataError("a string operand is not in the string table");
      }
      pc += operandWords;
    }
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
      uint32_t& operand = OperandAt(position);
      const uint32_t distance = operand;
      operand = static_cast<uint32_t>(id);
      position += distance;
    }
  }
}

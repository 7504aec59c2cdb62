#include "script/global_variables.h"

#include <memory>
#include <vector>

#include "script/save_bytes.h"

namespace {
std::unique_ptr<CVariableList> g_GlobalList;
}  // namespace

std::vector<uint8_t> Variable_GlobalVarFlags;

CVariableList& Variable_GlobalList() {
  if (!g_GlobalList) g_GlobalList = std::make_unique<CVariableList>();
  return *g_GlobalList;
}

void Variable_Global_Init() {
  g_GlobalList = std::make_unique<CVariableList>();
  Variable_GlobalVarFlags.assign(kGlobalVarFlagsInitial, 0);
}

bool Variable_Global_Get(int32_t id, int32_t index, ScriptValue& out) {
  return Variable_GlobalList().Get(id, index, out);
}

bool Variable_Global_Set(int32_t id, int32_t index, const ScriptValue& value) {
  return Variable_GlobalList().Set(id, index, value);
}

void Variable_DeclareGlobalVar(int32_t id) {
  if (id < kFirstUserVariableId) return;
  size_t n = static_cast<size_t>(id - kFirstUserVariableId);
  size_t count = Variable_GlobalVarFlags.size();
  while (n >= count) count += kGlobalVarFlagsStep;
  Variable_GlobalVarFlags.resize(count, 0);
  Variable_GlobalVarFlags[n] = 1;
  Variable_GlobalList().Declare(id);
}

int32_t Variable_GlobalVarFlagCount() { return static_cast<int32_t>(Variable_GlobalVarFlags.size()); }

void Variable_Global_Save(SaveWriter& out) {
  out.WriteInteger(kGlobalsTag);
  Variable_GlobalList().Save(out);
  out.WriteInteger(static_cast<int32_t>(Variable_GlobalVarFlags.size()));
  for (uint8_t flag : Variable_GlobalVarFlags) out.WriteBoolean(flag != 0);
}

bool Variable_Global_Read(SaveReader& in, GlobalsSection& section) {
  int32_t tag = 0;
  if (!in.ReadInteger(tag) || tag != kGlobalsTag) return false;
  std::vector<VariableNode> nodes;
  if (!Variable_ReadListSection(in, nodes)) return false;
  int32_t flagCount = 0;
  if (!in.ReadInteger(flagCount) || flagCount < 0 ||
      static_cast<uint64_t>(flagCount) > in.Remaining() / 4) {
    return false;
  }
  std::vector<uint8_t> flags(static_cast<size_t>(flagCount));
  for (auto& flag : flags) {
    bool value = false;
    if (!in.ReadBoolean(value)) return false;
    flag = value ? 1 : 0;
  }
  section.nodes = std::move(nodes);
  section.flags = std::move(flags);
  return true;
}

void Variable_Global_Apply(GlobalsSection section) {
  Variable_GlobalList().Merge(std::move(section.nodes));
  Variable_GlobalVarFlags = std::move(section.flags);
}

bool Variable_Global_Load(SaveReader& in) {
  // Everything is read before anything changes, so a damaged section changes nothing.
  GlobalsSection section;
  if (!Variable_Global_Read(in, section)) return false;
  Variable_Global_Apply(std::move(section));
  return true;
}

void Variable_FreeAll() {
  g_GlobalList.reset();
  Variable_GlobalVarFlags.clear();
  Variable_GlobalVarFlags.shrink_to_fit();
}

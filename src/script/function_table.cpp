#include "script/function_table.h"

#include <vector>

namespace {
std::vector<BuiltinFunctionEntry>& Table() {
  static std::vector<BuiltinFunctionEntry> table;
  return table;
}
}  // namespace

void Function_Add(const char* name, BuiltinFunction implementation, int32_t argc) {
  Table().push_back({name ? name : "", implementation, argc});
}

bool Function_Find(const char* name, int32_t& id) {
  id = -1;
  if (name == nullptr || *name == '\0') return false;
  const auto& table = Table();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) {
      id = static_cast<int32_t>(i);
      return true;
    }
  }
  return false;
}

int32_t Function_ArgCount(int32_t id) {
  if (id >= kExtensionFunctionBase) return kNoSuchFunction;
  if (id >= kScriptFunctionBase) return -1;
  if (id < 0 || id >= Function_Count()) return kNoSuchFunction;
  return Table()[static_cast<size_t>(id)].argc;
}

const BuiltinFunctionEntry* Function_Get(int32_t id) {
  if (id < 0 || id >= Function_Count()) return nullptr;
  return &Table()[static_cast<size_t>(id)];
}

int32_t Function_Count() { return static_cast<int32_t>(Table().size()); }

void Function_FreeAll() { Table().clear(); }

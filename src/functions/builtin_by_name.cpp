#include "functions/builtin_by_name.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "script/function_table.h"

namespace {

// Ids found before; checked against the table on every use, since the table can be rebuilt.
std::unordered_map<std::string, int32_t>& KnownIds() {
  static std::unordered_map<std::string, int32_t> ids;
  return ids;
}

int32_t FindBuiltin(std::string_view name) {
  auto& known = KnownIds();
  const std::string key(name);
  if (auto it = known.find(key); it != known.end()) {
    const BuiltinFunctionEntry* entry = Function_Get(it->second);
    if (entry != nullptr && entry->name == name) return it->second;
  }
  for (int32_t id = 0; id < Function_Count(); ++id) {
    const BuiltinFunctionEntry* entry = Function_Get(id);
    if (entry != nullptr && entry->implementation != nullptr && entry->name == name) {
      known[key] = id;
      return id;
    }
  }
  return -1;
}

}  // namespace

bool Builtin_IsRegistered(std::string_view name) { return FindBuiltin(name) >= 0; }

bool Builtin_CallByName(std::string_view name, ScriptValue& result, CInstance* self, CInstance* other,
                        std::initializer_list<ScriptValue> args) {
  const int32_t id = FindBuiltin(name);
  if (id < 0) return false;
  std::vector<ScriptValue> copies(args);
  return Function_Call(id, result, self, other, static_cast<int>(copies.size()), copies.data());
}

bool Builtin_CallByName(std::string_view name, CInstance* self, CInstance* other,
                        std::initializer_list<ScriptValue> args) {
  ScriptValue ignored;
  return Builtin_CallByName(name, ignored, self, other, args);
}

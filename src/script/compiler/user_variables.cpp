#include "script/compiler/user_variables.h"

#include <unordered_map>
#include <vector>

namespace {

// Stand-in for the built-in variable table until that table installs its hooks.
const std::vector<std::string>& DefaultBuiltinNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list = {"x", "y", "id", "speed", "direction"};
    for (int i = 0; i < 16; ++i) list.push_back("argument" + std::to_string(i));
    for (const char* name : {"argument", "argument_count", "global", "self", "other", "all",
                             "noone"}) {
      list.push_back(name);
    }
    return list;
  }();
  return names;
}

struct BuiltinHooks {
  BuiltinVariableFind find = [](std::string_view name) -> int32_t {
    const auto& names = DefaultBuiltinNames();
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return static_cast<int32_t>(i);
    }
    return -1;
  };
  BuiltinVariableName name = [](int32_t index, std::string& out) {
    const auto& names = DefaultBuiltinNames();
    if (index < 0 || index >= static_cast<int32_t>(names.size())) return false;
    out = names[static_cast<size_t>(index)];
    return true;
  };
};

BuiltinHooks& Hooks() {
  static BuiltinHooks hooks;
  return hooks;
}

std::vector<std::string>& UserNames() {
  static std::vector<std::string> names;
  return names;
}

// Name to index, so a lookup does not walk the whole list (names are never removed).
std::unordered_map<std::string, int32_t>& UserIndex() {
  static std::unordered_map<std::string, int32_t> index;
  return index;
}

}  // namespace

void Code_SetBuiltinVariableHooks(BuiltinVariableFind find, BuiltinVariableName name) {
  Hooks() = BuiltinHooks();
  if (find) Hooks().find = std::move(find);
  if (name) Hooks().name = std::move(name);
}

int32_t Code_Variable_Find(std::string_view name) {
  int32_t builtin = Hooks().find(name);
  if (builtin >= 0) return builtin;
  auto& names = UserNames();
  auto& index = UserIndex();
  std::string key(name);
  auto found = index.find(key);
  if (found != index.end()) return kUserVariableBase + found->second;
  int32_t slot = static_cast<int32_t>(names.size());
  names.push_back(key);
  index.emplace(std::move(key), slot);
  return kUserVariableBase + slot;
}

std::string Code_Variable_Name(int32_t id) {
  std::string name;
  if (id < kUserVariableBase) {
    if (Hooks().name(id, name)) return name;
    return "<unknown variable>";
  }
  const auto& names = UserNames();
  size_t index = static_cast<size_t>(id - kUserVariableBase);
  if (index < names.size()) return names[index];
  return "<unknown variable>";
}

int32_t Code_Variable_UserCount() { return static_cast<int32_t>(UserNames().size()); }

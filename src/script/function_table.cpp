#include "script/function_table.h"

#include <new>
#include <stdexcept>
#include <vector>

#include "platform/containers/name_index.h"
#include "script/error_report.h"

namespace {
std::vector<BuiltinFunctionEntry>& Table() {
  static std::vector<BuiltinFunctionEntry> table;
  return table;
}

// Entries are only ever appended or all freed, so the table's length tells when to rebuild.
NameIndex& ByName() {
  static NameIndex index;
  return index;
}

FunctionNameLookup g_ScriptLookup = nullptr;
FunctionNameLookup g_ExtensionLookup = nullptr;
ExtensionArgCountLookup g_ExtensionArgCount = nullptr;
bool g_BuiltinsRegistered = false;
}  // namespace

void Function_SetScriptLookup(FunctionNameLookup lookup) { g_ScriptLookup = lookup; }

void Function_SetExtensionLookup(FunctionNameLookup lookup, ExtensionArgCountLookup argCount) {
  g_ExtensionLookup = lookup;
  g_ExtensionArgCount = argCount;
}

void Function_Add(const char* name, BuiltinFunction implementation, int32_t argc) {
  auto& table = Table();
  if (table.size() == table.capacity()) table.reserve(table.capacity() + kFunctionTableStep);
  table.push_back({name ? name : "", implementation, argc});
}

bool Function_Find(const char* name, int32_t& id) {
  id = -1;
  if (name == nullptr || *name == '\0') return false;
  int32_t number = -1;
  if (g_ScriptLookup != nullptr && g_ScriptLookup(name, number) && number >= 0) {
    id = kScriptFunctionBase + number;
    return true;
  }
  if (g_ExtensionLookup != nullptr && g_ExtensionLookup(name, number) && number >= 0) {
    id = kExtensionFunctionBase + number;
    return true;
  }
  const auto& table = Table();
  id = ByName().Find(name, table.size(), [&table](size_t i) { return &table[i].name; });
  return id >= 0;
}

int32_t Function_ArgCount(int32_t id) {
  if (id >= kExtensionFunctionBase) {
    return g_ExtensionArgCount ? g_ExtensionArgCount(id - kExtensionFunctionBase)
                               : kNoSuchFunction;
  }
  if (id >= kScriptFunctionBase) return kAnyArgumentCount;
  if (id < 0 || id >= Function_Count()) return kNoSuchFunction;
  return Table()[static_cast<size_t>(id)].argc;
}

const BuiltinFunctionEntry* Function_Get(int32_t id) {
  if (id < 0 || id >= Function_Count()) return nullptr;
  return &Table()[static_cast<size_t>(id)];
}

int32_t Function_Count() { return static_cast<int32_t>(Table().size()); }

int32_t Function_Capacity() { return static_cast<int32_t>(Table().capacity()); }

bool Function_Call(int32_t id, ScriptValue& result, CInstance* self, CInstance* other, int argc,
                   ScriptValue* args) {
  const BuiltinFunctionEntry* entry = Function_Get(id);
  if (entry == nullptr || entry->implementation == nullptr) return false;
  result.SetReal(0.0);
  Function_Invoke(*entry, result, self, other, argc, args);
  return true;
}

void Function_Invoke(const BuiltinFunctionEntry& entry, ScriptValue& result, CInstance* self,
                     CInstance* other, int argc, ScriptValue* args) {
  if (entry.implementation == nullptr) return;
  try {
    entry.implementation(result, self, other, argc, args);
  } catch (const std::bad_alloc&) {
    Error_Show_Action("String too long.", false);
  } catch (const std::length_error&) {
    Error_Show_Action("String too long.", false);
  }
}

void Function_FreeAll() {
  ByName().Invalidate();
  Table().clear();
  Table().shrink_to_fit();
  g_BuiltinsRegistered = false;
}

bool Function_BuiltinsRegistered() { return g_BuiltinsRegistered; }

void Function_SetBuiltinsRegistered() { g_BuiltinsRegistered = true; }

FunctionTableState Function_SaveState() {
  return {Table(), g_BuiltinsRegistered, g_ScriptLookup, g_ExtensionLookup, g_ExtensionArgCount};
}

void Function_RestoreState(FunctionTableState state) {
  ByName().Invalidate();
  Table() = std::move(state.entries);
  g_BuiltinsRegistered = state.builtinsRegistered;
  g_ScriptLookup = state.scriptLookup;
  g_ExtensionLookup = state.extensionLookup;
  g_ExtensionArgCount = state.extensionArgCount;
}

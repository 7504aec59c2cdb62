#include <utility>

#include "runner/instance.h"
#include "script/compiler/user_variables.h"
#include "script/function_table.h"
#include "script/script_arguments.h"
#include "script/variable_access.h"
#include "vm_fixture.h"

namespace vmtest {

namespace {

int32_t BuiltinIndex(const char* name) { return Code_Variable_Find(name); }

bool GetBuiltin(CInstance* instance, int32_t id, int32_t index, ScriptValue& out) {
  static const int32_t argument0 = BuiltinIndex("argument0");
  static const int32_t argumentCount = BuiltinIndex("argument_count");
  static const int32_t idVar = BuiltinIndex("id");
  static const int32_t xVar = BuiltinIndex("x");
  (void)index;
  if (id >= argument0 && id < argument0 + 16) {
    ScriptValue_Copy(out, Code_Arguments[static_cast<size_t>(id - argument0)]);
    return true;
  }
  static const std::pair<int32_t, double> kCodes[] = {{BuiltinIndex("self"), -1},
                                                      {BuiltinIndex("other"), -2},
                                                      {BuiltinIndex("all"), -3},
                                                      {BuiltinIndex("noone"), -4},
                                                      {BuiltinIndex("global"), -5}};
  for (const auto& [code, value] : kCodes) {
    if (id == code) {
      out.SetReal(value);
      return true;
    }
  }
  if (id == argumentCount) {
    out.SetReal(Code_ArgumentCount);
    return true;
  }
  if (instance == nullptr) return false;
  if (id == idVar) {
    out.SetReal(instance->id);
    return true;
  }
  if (id == xVar) {
    out.SetReal(instance->x);
    return true;
  }
  return false;
}

bool SetBuiltin(CInstance* instance, int32_t id, int32_t, const ScriptValue& value) {
  static const int32_t xVar = BuiltinIndex("x");
  if (instance == nullptr || id != xVar || !value.IsReal()) return false;
  instance->x = static_cast<float>(value.real);
  return true;
}

void Record(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  for (int i = 0; i < argc; ++i) TheWorld().recorded.push_back(args[i]);
  result.SetReal(argc);
}

void Concat(ScriptValue& result, CInstance*, CInstance*, int argc, ScriptValue* args) {
  std::string text;
  for (int i = 0; i < argc; ++i)
    text += args[i].IsString() ? args[i].Text() : std::to_string(args[i].real);
  result.SetString(text);
}

}  // namespace

void InstallTestBuiltins() {
  const std::pair<const char*, BuiltinFunction> builtins[] = {{"rec", Record}, {"concat", Concat}};
  for (const auto& [name, implementation] : builtins) {
    int32_t id = -1;
    if (!Function_Find(name, id)) Function_Add(name, implementation, -1);
  }
}

void InstallWorldHooks() {
  Variable_SetBuiltInAccessors(GetBuiltin, SetBuiltin);
  InstanceWorldHooks hooks;
  hooks.forEachActiveInstance = [](const InstanceVisitor& visit) {
    for (auto& instance : TheWorld().room) {
      if (!visit(*instance)) return;
    }
  };
  hooks.forEachObjectInstance = [](int32_t object, const InstanceVisitor& visit) {
    bool any = false;
    for (auto& instance : TheWorld().room) {
      if (instance->object_index != object) continue;
      any = true;
      if (!visit(*instance)) break;
    }
    return any;
  };
  Variable_SetInstanceWorld(std::move(hooks));
}

ScriptValue VarOf(CInstance* instance, const std::string& name, int32_t index) {
  ScriptValue out;
  Variable_GetValue(instance, Code_Variable_Find(name), index, out);
  return out;
}

}  // namespace vmtest

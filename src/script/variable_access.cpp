#include "script/variable_access.h"

#include <utility>

#include "runner/instance.h"
#include "script/builtin_variables.h"
#include "script/variable_list.h"

namespace {
BuiltInVariableGetter g_BuiltInGetter = nullptr;
BuiltInVariableSetter g_BuiltInSetter = nullptr;
InstanceWorldHooks g_World;

void ForEachActive(const InstanceVisitor& visit) {
  if (g_World.forEachActiveInstance) g_World.forEachActiveInstance(visit);
}

bool ForEachOfObject(int32_t objectIndex, const InstanceVisitor& visit) {
  return g_World.forEachObjectInstance && g_World.forEachObjectInstance(objectIndex, visit);
}

// The first instance of a room or object list that is not marked for removal.
CInstance* FirstLive(int32_t target) {
  CInstance* found = nullptr;
  InstanceVisitor pick = [&found](CInstance& instance) {
    if (instance.marked) return true;
    found = &instance;
    return false;
  };
  if (target == kInstanceAll) {
    ForEachActive(pick);
  } else {
    ForEachOfObject(target, pick);
  }
  return found;
}
}  // namespace

void Variable_SetBuiltInAccessors(BuiltInVariableGetter getter, BuiltInVariableSetter setter) {
  // The table publishes itself again after installing its own accessors.
  Variable_BuiltIn_Direct = {};
  g_BuiltInGetter = getter;
  g_BuiltInSetter = setter;
}

void Variable_SetInstanceWorld(InstanceWorldHooks hooks) { g_World = std::move(hooks); }

InstanceWorldHooks& Variable_InstanceWorld() { return g_World; }

bool Variable_GetValue(CInstance* instance, int32_t id, int32_t index, ScriptValue& out) {
  if (id >= kFirstListVariableId) {
    return instance != nullptr && instance->variables->Get(id, index, out);
  }
  return g_BuiltInGetter != nullptr && g_BuiltInGetter(instance, id, index, out);
}

bool Variable_SetValue(CInstance* instance, int32_t id, int32_t index, const ScriptValue& value) {
  if (id >= kFirstListVariableId) {
    if (instance == nullptr) return false;
    instance->variables->Set(id, index, value);
    return true;
  }
  return g_BuiltInSetter != nullptr && g_BuiltInSetter(instance, id, index, value);
}

bool Variable_GetValue(CInstance* instance, int32_t id, int32_t index, ScriptValue& out,
                       int32_t& hint) {
  if (id >= kFirstListVariableId) {
    return instance != nullptr && instance->variables->Get(id, index, out, hint);
  }
  return g_BuiltInGetter != nullptr && g_BuiltInGetter(instance, id, index, out);
}

bool Variable_SetValue(CInstance* instance, int32_t id, int32_t index, const ScriptValue& value,
                       int32_t& hint) {
  if (id >= kFirstListVariableId) {
    if (instance == nullptr) return false;
    instance->variables->Set(id, index, value, hint);
    return true;
  }
  return g_BuiltInSetter != nullptr && g_BuiltInSetter(instance, id, index, value);
}

bool Variable_GetThrough(int32_t target, int32_t id, int32_t index, ScriptValue& out) {
  if (target < 0 && target != kInstanceAll) return false;
  CInstance* instance = nullptr;
  if (target >= kFirstInstanceId) {
    instance = Instance_Find(target);
    if (instance != nullptr && instance->marked) instance = nullptr;
  } else {
    instance = FirstLive(target);
  }
  return instance != nullptr && Variable_GetValue(instance, id, index, out);
}

bool Variable_SetThrough(int32_t target, int32_t id, int32_t index, const ScriptValue& value) {
  if (target < 0 && target != kInstanceAll) return false;
  if (target >= kFirstInstanceId) {
    CInstance* instance = Instance_Find(target);
    if (instance == nullptr || instance->marked) return true;
    return Variable_SetValue(instance, id, index, value);
  }
  bool result = true;
  InstanceVisitor write = [&](CInstance& instance) {
    if (!instance.marked) result = Variable_SetValue(&instance, id, index, value);
    return true;
  };
  if (target == kInstanceAll) {
    ForEachActive(write);
  } else {
    ForEachOfObject(target, write);
  }
  return result;
}

void Variable_ForEachActiveInstance(const InstanceVisitor& visit) { ForEachActive(visit); }
bool Variable_ForEachObjectInstance(int32_t objectIndex, const InstanceVisitor& visit) {
  return ForEachOfObject(objectIndex, visit);
}

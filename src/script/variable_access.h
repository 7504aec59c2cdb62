// Reading and writing a variable through an instance, or through the instance code of
// other.x, obj.x, all.x and (expr).x: all instances, an object's instances, an instance id.
#pragma once

#include <cstdint>
#include <functional>

#include "script/instance_codes.h"
#include "script/script_value.h"

class CInstance;

// Instance ids start here; codes from 0 below it are object indices.
inline constexpr int32_t kFirstInstanceId = 100000;

// Built-in variables (ids below 10000) are reached through these. The getter fills out and
// answers whether the read worked; the setter answers false when the variable cannot be
// set or refused the value.
using BuiltInVariableGetter = bool (*)(CInstance* instance, int32_t id, int32_t index,
                                       ScriptValue& out);
using BuiltInVariableSetter = bool (*)(CInstance* instance, int32_t id, int32_t index,
                                       const ScriptValue& value);
void Variable_SetBuiltInAccessors(BuiltInVariableGetter getter, BuiltInVariableSetter setter);

// Visits instances in list order; the visitor answers false to stop early.
using InstanceVisitor = std::function<bool(CInstance& instance)>;

// How the room's instances and the objects' instance lists are reached.
struct InstanceWorldHooks {
  // The current room's active instances (none when no room is current).
  std::function<void(const InstanceVisitor& visit)> forEachActiveInstance;
  // False when there is no object with that index; otherwise visits the instances of the
  // object and of its children and answers true.
  std::function<bool(int32_t objectIndex, const InstanceVisitor& visit)> forEachObjectInstance;
};
void Variable_SetInstanceWorld(InstanceWorldHooks hooks);
// The hooks in place, for their owners to fill one at a time.
InstanceWorldHooks& Variable_InstanceWorld();

// The instance's own variable, or its built-in variable for an id below 10000.
bool Variable_GetValue(CInstance* instance, int32_t id, int32_t index, ScriptValue& out);
bool Variable_SetValue(CInstance* instance, int32_t id, int32_t index, const ScriptValue& value);
// The same for a caller that keeps where the variable was last found (CVariableList::Get).
bool Variable_GetValue(CInstance* instance, int32_t id, int32_t index, ScriptValue& out,
                       int32_t& hint);
bool Variable_SetValue(CInstance* instance, int32_t id, int32_t index, const ScriptValue& value,
                       int32_t& hint);

// Reads from the first instance the target code names that is not marked for removal.
bool Variable_GetThrough(int32_t target, int32_t id, int32_t index, ScriptValue& out);
// Writes into every instance the target code names that is not marked for removal; the
// answer is that of the last write. A missing instance or object, and a room without
// instances, answer true with nothing written.
bool Variable_SetThrough(int32_t target, int32_t id, int32_t index, const ScriptValue& value);

// The room's active instances and an object's instances (with its children's), in list
// order, through the installed hooks; for the with statement of the machine.
void Variable_ForEachActiveInstance(const InstanceVisitor& visit);
bool Variable_ForEachObjectInstance(int32_t objectIndex, const InstanceVisitor& visit);

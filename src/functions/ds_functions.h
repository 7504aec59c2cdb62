// The ds_* built-ins: stacks, queues, lists, maps, priority queues and grids that game code
// names by index. The containers and their tables are the platform's (ds_containers.h,
// ds_map.h); this family checks indices, converts arguments and copies answers.
// InitDataStructureFunctions registers the 110 built-ins.
#pragma once

#include <cstdint>

#include "script/builtin_function.h"
#include "script/script_value.h"

void InitDataStructureFunctions();

// The runtime error of every built-in here that is given an index with no structure.
inline constexpr char kDSNoSuchIndex[] = "Data structure with index does not exist.";

// Values that json_decode stores in maps and lists may carry a mark in their kind word: the
// real is then the index of a nested ds_map or ds_list. json_encode follows the marks. A
// built-in that hands a stored value to game code hands it out as a plain real.
inline constexpr ValueKind kDSMarkMap = static_cast<ValueKind>(INT32_MIN);
inline constexpr ValueKind kDSMarkList = static_cast<ValueKind>(0x40000000);
inline ScriptValue DS_MarkedIndex(ValueKind mark, int32_t index) {
  ScriptValue value(static_cast<double>(index));
  value.SetKindAndReal(mark, static_cast<double>(index));
  return value;
}
// The value as game code sees it: a marked value becomes the plain real.
ScriptValue DS_HandOut(const ScriptValue& stored);

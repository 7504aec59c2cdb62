// A running instance of an object in a room. This holds the identity, the object, the
// removal mark and the instance's own variables; position, motion, drawing and collision
// state join it as the room and motion code grows.
#pragma once

#include <cstdint>
#include <memory>

#include "script/variable_list.h"

class CInstance {
 public:
  // An object index of -1 becomes 0. The instance is not yet in the id map.
  CInstance(float x, float y, int32_t id, int32_t objectIndex, bool join);
  virtual ~CInstance();
  CInstance(const CInstance&) = delete;
  CInstance& operator=(const CInstance&) = delete;

  bool marked = false;  // destroyed this step; leaves the room at the end of the step
  int32_t id = 0;
  int32_t object_index = 0;
  float x = 0.0f;
  float y = 0.0f;
  std::unique_ptr<CVariableList> variables;
};

// The instance id map: ids to live instances (not owned). Adding an id that is already
// there keeps the first instance, as a lookup would find it first.
void Instance_IdHash_Add(CInstance& instance);
void Instance_IdHash_Remove(const CInstance& instance);
// The instance with that id, or null.
CInstance* Instance_Find(int32_t id);

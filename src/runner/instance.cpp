#include "runner/instance.h"

#include <unordered_map>

namespace {
std::unordered_map<int32_t, CInstance*>& IdHash() {
  static std::unordered_map<int32_t, CInstance*> map;
  return map;
}
}  // namespace

CInstance::CInstance(float x_, float y_, int32_t id_, int32_t objectIndex, bool join)
    : id(id_),
      object_index(objectIndex == -1 ? 0 : objectIndex),
      x(x_),
      y(y_),
      variables(std::make_unique<CVariableList>()) {}

// An instance never stays in the map after it is gone.
CInstance::~CInstance() { Instance_IdHash_Remove(*this); }

void Instance_IdHash_Add(CInstance& instance) { IdHash().emplace(instance.id, &instance); }

void Instance_IdHash_Remove(const CInstance& instance) {
  auto it = IdHash().find(instance.id);
  if (it != IdHash().end() && it->second == &instance) IdHash().erase(it);
}

CInstance* Instance_Find(int32_t id) {
  auto it = IdHash().find(id);
  return it == IdHash().end() ? nullptr : it->second;
}

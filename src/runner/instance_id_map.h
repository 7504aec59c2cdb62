// The map from instance ids to live instances: one open-addressed table of instance pointers
// (the id is read from the instance), so that an instance costs the map one pointer-sized slot
// instead of a node of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CInstance;

class InstanceIdMap {
 public:
  // False (leaving the map alone) when the id is there already: the first instance stays.
  bool Add(CInstance& instance);
  // Takes the instance out when it is the one held under its id.
  void Remove(const CInstance& instance);
  CInstance* Find(int32_t id) const;
  int32_t Count() const { return static_cast<int32_t>(count_); }
  void Clear();

 private:
  size_t Home(int32_t id) const;
  void Grow();

  std::vector<CInstance*> slots_;  // a power of two long (or empty); null for a free slot
  size_t count_ = 0;
  int shift_ = 64;
};

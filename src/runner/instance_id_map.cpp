#include "runner/instance_id_map.h"

#include "runner/instance.h"

namespace {

constexpr size_t kFirstSize = 64;

}  // namespace

size_t InstanceIdMap::Home(int32_t id) const {
  // Fibonacci hashing: consecutive ids land far apart, and the top bits pick the slot.
  return static_cast<size_t>((static_cast<uint64_t>(static_cast<uint32_t>(id)) * 0x9E3779B97F4A7C15ull) >> shift_);
}

void InstanceIdMap::Grow() {
  std::vector<CInstance*> old = std::move(slots_);
  const size_t size = old.empty() ? kFirstSize : old.size() * 2;
  slots_.assign(size, nullptr);
  shift_ = 64;
  for (size_t s = size; s > 1; s >>= 1) --shift_;
  const size_t mask = size - 1;
  for (CInstance* instance : old) {
    if (instance == nullptr) continue;
    size_t at = Home(instance->id);
    while (slots_[at] != nullptr) at = (at + 1) & mask;
    slots_[at] = instance;
  }
}

bool InstanceIdMap::Add(CInstance& instance) {
  if ((count_ + 1) * 5 > slots_.size() * 4) Grow();
  const size_t mask = slots_.size() - 1;
  size_t at = Home(instance.id);
  for (; slots_[at] != nullptr; at = (at + 1) & mask) {
    if (slots_[at]->id == instance.id) return false;
  }
  slots_[at] = &instance;
  ++count_;
  return true;
}

CInstance* InstanceIdMap::Find(int32_t id) const {
  if (count_ == 0) return nullptr;
  const size_t mask = slots_.size() - 1;
  for (size_t at = Home(id); slots_[at] != nullptr; at = (at + 1) & mask) {
    if (slots_[at]->id == id) return slots_[at];
  }
  return nullptr;
}

void InstanceIdMap::Remove(const CInstance& instance) {
  if (count_ == 0) return;
  const size_t mask = slots_.size() - 1;
  size_t hole = Home(instance.id);
  while (slots_[hole] != &instance) {
    if (slots_[hole] == nullptr) return;
    hole = (hole + 1) & mask;
  }
  slots_[hole] = nullptr;
  --count_;
  // Later members of the run move back into the hole when their home does not lie between
  // the hole and where they stand, so that every member stays reachable from its home.
  for (size_t at = (hole + 1) & mask; slots_[at] != nullptr; at = (at + 1) & mask) {
    const size_t home = Home(slots_[at]->id);
    const bool reachable = hole <= at ? (hole < home && home <= at) : (hole < home || home <= at);
    if (reachable) continue;
    slots_[hole] = slots_[at];
    slots_[at] = nullptr;
    hole = at;
  }
}

void InstanceIdMap::Clear() {
  slots_.clear();
  slots_.shrink_to_fit();
  count_ = 0;
  shift_ = 64;
}

#include "data/object_instance_list.h"

#include <algorithm>

namespace {

// Holes are closed once there are more of them than this and than members.
constexpr size_t kHolesKept = 32;

}  // namespace

void ObjectInstanceList::Add(CInstance* instance, uint64_t stamp) {
  if (!entries_.empty() && entries_.back().stamp >= stamp) ordered_ = false;
  entries_.push_back({stamp, instance});
  ++count_;
}

size_t ObjectInstanceList::Position(const CInstance* instance, uint64_t stamp) const {
  if (ordered_) {
    const auto from = entries_.begin() + static_cast<std::ptrdiff_t>(head_);
    const auto at = std::lower_bound(from, entries_.end(), stamp,
                                     [](const Entry& e, uint64_t s) { return e.stamp < s; });
    if (at != entries_.end() && at->instance == instance) return static_cast<size_t>(at - entries_.begin());
  }
  for (size_t at = head_; at < entries_.size(); ++at) {
    if (entries_[at].instance == instance) return at;
  }
  return entries_.size();
}

bool ObjectInstanceList::Remove(CInstance* instance, uint64_t stamp) {
  if (instance == nullptr) return false;
  const size_t at = Position(instance, stamp);
  if (at == entries_.size()) return false;
  entries_[at].instance = nullptr;
  --count_;
  while (head_ < entries_.size() && entries_[head_].instance == nullptr) ++head_;
  if (count_ == 0) {
    Clear();
  } else if (entries_.size() - count_ > std::max(kHolesKept, count_)) {
    CloseHoles();
  }
  return true;
}

void ObjectInstanceList::CloseHoles() {
  std::erase_if(entries_, [](const Entry& e) { return e.instance == nullptr; });
  head_ = 0;
  ordered_ = std::is_sorted(entries_.begin(), entries_.end(),
                            [](const Entry& a, const Entry& b) { return a.stamp < b.stamp; });
}

void ObjectInstanceList::Clear() {
  entries_.clear();
  head_ = 0;
  count_ = 0;
  ordered_ = true;
}

void ObjectInstanceList::CopyFrom(const ObjectInstanceList& other) {
  entries_ = other.entries_;
  head_ = other.head_;
  count_ = other.count_;
  ordered_ = other.ordered_;
}

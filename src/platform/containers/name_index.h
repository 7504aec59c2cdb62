// A hashed name -> index map over a resource table that is otherwise searched front to back:
// the first (lowest) index holding a name wins, as a front-to-back search would find it.
// The table owner calls Invalidate() whenever a name is added, changed or removed; the index
// is rebuilt on the next lookup. A hit is checked against the table before it is returned, and
// a change of the table's length rebuilds the index, so a forgotten Invalidate() cannot hand
// out an entry that no longer holds the name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

class NameIndex {
 public:
  // nameAt(i) gives entry i's name, or nullptr for an empty slot.
  using NameAt = std::function<const std::string*(size_t)>;

  void Invalidate() { built_ = false; }

  int32_t Find(std::string_view name, size_t count, const NameAt& nameAt) {
    if (!built_ || count != count_) Build(count, nameAt);
    int32_t index = Lookup(name);
    if (index >= 0 && !Holds(index, name, count, nameAt)) {
      Build(count, nameAt);
      index = Lookup(name);
    }
    return index;
  }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };

  static bool Holds(int32_t index, std::string_view name, size_t count, const NameAt& nameAt) {
    if (static_cast<size_t>(index) >= count) return false;
    const std::string* held = nameAt(static_cast<size_t>(index));
    return held != nullptr && *held == name;
  }

  int32_t Lookup(std::string_view name) const {
    const auto found = map_.find(name);
    return found == map_.end() ? -1 : found->second;
  }

  void Build(size_t count, const NameAt& nameAt) {
    map_.clear();
    map_.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      if (const std::string* name = nameAt(i)) map_.emplace(*name, static_cast<int32_t>(i));  // keeps the first
    }
    count_ = count;
    built_ = true;
  }

  std::unordered_map<std::string, int32_t, Hash, std::equal_to<>> map_;
  size_t count_ = 0;
  bool built_ = false;
};

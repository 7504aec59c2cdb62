// The map container of game code (ds_map), the tables of every ds container family,
// and the maps that carry asynchronous results to game code.
//
// A map has 4096 buckets; a key's bucket is its CRC-32 (from 0xFFFFFFFF, not inverted;
// the text's bytes for a string key, the double's 8 little-endian bytes for a real key)
// masked to 12 bits. Iteration runs bucket 0 to 4095 and, within a bucket, in the order
// of insertion. Keys are compared by their whole value (kind, then the text, or the
// double's bytes), so two keys whose CRCs collide stay two keys.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ds_containers.h"
#include "script/script_value.h"

struct DSMapEntry {
  ScriptValue key;
  ScriptValue value;
};

const ScriptValue& DSMapEntry_GetKey(const DSMapEntry& entry);
const ScriptValue& DSMapEntry_GetValue(const DSMapEntry& entry);
void DSMapEntry_SetKey(DSMapEntry& entry, const ScriptValue& key);
void DSMapEntry_SetValue(DSMapEntry& entry, const ScriptValue& value);

// The 32-bit hash of a key.
uint32_t DSMap_KeyHash(const ScriptValue& key);

class CDS_Map {
 public:
  static constexpr uint32_t kBucketCount = 4096;
  static constexpr uint32_t kBucketMask = kBucketCount - 1;

  CDS_Map();
  CDS_Map(const CDS_Map&) = delete;
  CDS_Map& operator=(const CDS_Map&) = delete;

  // False, and no change, when the key is present.
  bool Add(const ScriptValue& key, const ScriptValue& value);
  // True when the key was present (its value replaced); otherwise adds it and answers false.
  bool Replace(const ScriptValue& key, const ScriptValue& value);
  DSMapEntry* Find(const ScriptValue& key);
  const DSMapEntry* Find(const ScriptValue& key) const;
  bool Exists(const ScriptValue& key) const { return Find(key) != nullptr; }
  void Delete(const ScriptValue& key);
  void Clear();
  bool Empty() const { return count_ == 0; }
  int32_t Size() const { return count_; }

  const DSMapEntry* FindFirst() const;
  const DSMapEntry* FindLast() const;
  // The entry after (before) the key's entry in iteration order; null at either end
  // and for a key that is not present.
  const DSMapEntry* FindNext(const ScriptValue& key) const;
  const DSMapEntry* FindPrevious(const ScriptValue& key) const;

  // Clears this map, then copies every entry of other in other's iteration order.
  void Copy(const CDS_Map& other);

  std::string Write() const;
  // Replaces the content by the entries of text; a key given twice makes two entries.
  // A malformed text is refused (false) and leaves the map as it was.
  bool Read(std::string_view text);

 private:
  using Bucket = std::vector<std::unique_ptr<DSMapEntry>>;
  struct Position {
    uint32_t bucket;
    size_t index;
  };
  // An entry of the lookup index: the key's index hash and its entry, null when the slot is free.
  struct IndexSlot {
    uint32_t hash = 0;
    DSMapEntry* entry = nullptr;
  };
  std::optional<Position> Locate(const ScriptValue& key) const;
  // The key's entry (the first added when a read text gave it twice), or null.
  DSMapEntry* Lookup(const ScriptValue& key, uint32_t hash) const;
  // Adds an entry at the end of its bucket; Append also when the key has one already.
  void Append(ScriptValue key, ScriptValue value);
  // indexed: the key has no entry yet (hash is its index hash), so the index takes this one.
  void AppendEntry(ScriptValue key, ScriptValue value, uint32_t hash, bool indexed);
  void IndexInsert(uint32_t hash, DSMapEntry* entry);
  void IndexErase(DSMapEntry* entry, uint32_t hash);
  void IndexGrow();
  size_t Home(uint32_t hash) const;

  std::unique_ptr<std::array<Bucket, kBucketCount>> buckets_;
  // The buckets keep the iteration order; this open-addressing table (linear probing, at most
  // half full) finds a key's entry without walking its bucket.
  std::vector<IndexSlot> index_;
  int indexShift_ = 64;
  int32_t count_ = 0;
  bool hasTwins_ = false;  // some key has two entries (only a read text makes them)
};

// ---- tables of containers ---------------------------------------------------

// One table per family. Creating takes the first free slot, else appends; an index
// is valid while 0 <= index < Count() and its slot holds a container.
template <typename T>
class CDS_Table {
 public:
  int32_t Add(std::unique_ptr<T> container) {
    for (size_t i = 0; i < slots_.size(); ++i) {
      if (!slots_[i]) {
        slots_[i] = std::move(container);
        return static_cast<int32_t>(i);
      }
    }
    slots_.push_back(std::move(container));
    return static_cast<int32_t>(slots_.size() - 1);
  }
  int32_t Create() { return Add(std::make_unique<T>()); }
  T* Get(int32_t index) const {
    if (index < 0 || size_t(index) >= slots_.size()) return nullptr;
    return slots_[size_t(index)].get();
  }
  bool Exists(int32_t index) const { return Get(index) != nullptr; }
  void Destroy(int32_t index) {
    if (Exists(index)) slots_[size_t(index)].reset();
  }
  int32_t Count() const { return static_cast<int32_t>(slots_.size()); }
  void DestroyAll() { slots_.clear(); }

 private:
  std::vector<std::unique_ptr<T>> slots_;
};

struct DS_ContainerTables {
  CDS_Table<CDS_Stack> stacks;
  CDS_Table<CDS_Queue> queues;
  CDS_Table<CDS_List> lists;
  CDS_Table<CDS_Map> maps;
  CDS_Table<CDS_Priority> priorities;
  CDS_Table<CDS_Grid> grids;
};

// The process's tables, used by the ds_* built-ins and by the asynchronous results.
DS_ContainerTables& DS_Tables();

// Places a map in the ds_map table and answers its index.
int32_t DSMap_NewIndex(std::unique_ptr<CDS_Map> map);

// One entry of an asynchronous result: a string key and a real, or a text when given.
struct DSMapPair {
  std::string key;
  double real = 0.0;
  std::optional<std::string> text;
};

// Makes a map of the pairs (each added with Add, so a repeated key keeps its first
// value), places it in the ds_map table and answers its index.
int32_t DSMap_CreateFromPairs(std::initializer_list<DSMapPair> pairs);
int32_t DSMap_CreateFromPairs(const std::vector<DSMapPair>& pairs);

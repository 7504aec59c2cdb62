#include "platform/ds_map.h"

#include <bit>
#include <cstring>
#include <vector>

#include "platform/byte_codec.h"
#include "platform/hashes.h"

namespace {

uint64_t RealBits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Keys are the same when their kinds are and their texts, or the bytes of their reals, are.
bool SameKey(const ScriptValue& a, const ScriptValue& b) {
  if (a.Kind() != b.Kind()) return false;
  return a.IsString() ? a.Text() == b.Text() : RealBits(a.real) == RealBits(b.real);
}

// A real token: the double's bytes from the most significant down, without the zero bytes at the end.
void AppendRealToken(std::string& out, double value) {
  uint64_t bits = RealBits(value);
  while (bits != 0) {
    Hex_AppendByte(out, uint8_t(bits >> 56));
    bits <<= 8;
  }
}

void AppendStringToken(std::string& out, std::string_view text) {
  for (char c : text) Hex_AppendByte(out, uint8_t(c));
}

// Reads one token of text from position, up to the next ':', ',' or the end.
std::optional<ScriptValue> ReadToken(std::string_view text, size_t& position, bool isString) {
  size_t end = text.find_first_of(":,", position);
  if (end == std::string_view::npos) end = text.size();
  std::string_view token = text.substr(position, end - position);
  position = end;
  std::vector<uint8_t> bytes;
  if (token.size() % 2 != 0 || !Hex_Decode(token, bytes)) return std::nullopt;
  if (isString) return ScriptValue::String(std::string(bytes.begin(), bytes.end()));
  if (bytes.size() > 8) return std::nullopt;
  uint64_t bits = 0;
  for (size_t i = 0; i < bytes.size(); ++i) bits |= uint64_t(bytes[i]) << (56 - 8 * i);
  double real;
  std::memcpy(&real, &bits, sizeof real);
  return ScriptValue::Real(real);
}

// The hash the lookup index files a key under: a whole real's integer, so that neighbouring
// keys sit in neighbouring slots, another real's bits folded, or the text's hash. Separate
// from the bucket's CRC, which only places a new entry in the iteration order.
uint32_t IndexHash(const ScriptValue& key) {
  if (key.IsString()) return static_cast<uint32_t>(std::hash<std::string_view>{}(key.Text()));
  const double real = key.real;
  if (real >= -9.2e18 && real <= 9.2e18) {
    const auto whole = static_cast<int64_t>(real);
    if (static_cast<double>(whole) == real) {
      const auto bits = static_cast<uint64_t>(whole);
      return static_cast<uint32_t>(bits ^ (bits >> 32));
    }
  }
  const uint64_t bits = RealBits(real);
  return static_cast<uint32_t>(bits ^ (bits >> 32));
}

}  // namespace

const ScriptValue& DSMapEntry_GetKey(const DSMapEntry& entry) { return entry.key; }
const ScriptValue& DSMapEntry_GetValue(const DSMapEntry& entry) { return entry.value; }
void DSMapEntry_SetKey(DSMapEntry& entry, const ScriptValue& key) { entry.key = key; }
void DSMapEntry_SetValue(DSMapEntry& entry, const ScriptValue& value) { entry.value = value; }

uint32_t DSMap_KeyHash(const ScriptValue& key) {
  if (key.IsString()) return Crc32_String(key.Text());
  uint8_t bytes[8];
  Bytes_PutReal(bytes, key.real);
  return Crc32_Buffer(bytes, 8);
}

CDS_Map::CDS_Map() : buckets_(std::make_unique<std::array<Bucket, kBucketCount>>()) {}

// Hashes that differ only in their low three bits share a run of eight slots; the runs are
// spread by a multiplicative hash of the rest.
size_t CDS_Map::Home(uint32_t hash) const {
  const uint64_t run = (uint64_t{hash >> 3} * 0x9E3779B97F4A7C15ull) >> (indexShift_ + 3);
  return static_cast<size_t>((run << 3) | (hash & 7));
}

DSMapEntry* CDS_Map::Lookup(const ScriptValue& key, uint32_t hash) const {
  if (index_.empty()) return nullptr;
  const size_t mask = index_.size() - 1;
  for (size_t at = Home(hash);; at = (at + 1) & mask) {
    const IndexSlot& slot = index_[at];
    if (slot.entry == nullptr) return nullptr;
    if (slot.hash == hash && SameKey(slot.entry->key, key)) return slot.entry;
  }
}

void CDS_Map::IndexInsert(uint32_t hash, DSMapEntry* entry) {
  if (2 * (static_cast<size_t>(count_) + 1) > index_.size()) IndexGrow();
  const size_t mask = index_.size() - 1;
  size_t at = Home(hash);
  while (index_[at].entry != nullptr) at = (at + 1) & mask;
  index_[at] = IndexSlot{hash, entry};
}

void CDS_Map::IndexGrow() {
  std::vector<IndexSlot> old = std::move(index_);
  const size_t size = old.empty() ? 16 : old.size() * 2;
  index_.assign(size, IndexSlot{});
  indexShift_ = 64 - std::countr_zero(size);
  const size_t mask = size - 1;
  for (const IndexSlot& slot : old) {
    if (slot.entry == nullptr) continue;
    size_t at = Home(slot.hash);
    while (index_[at].entry != nullptr) at = (at + 1) & mask;
    index_[at] = slot;
  }
}

void CDS_Map::IndexErase(DSMapEntry* entry, uint32_t hash) {
  const size_t mask = index_.size() - 1;
  size_t hole = Home(hash);
  while (index_[hole].entry != entry) hole = (hole + 1) & mask;
  // Backward shift: later slots of the run move into the hole when their home allows it.
  for (size_t next = (hole + 1) & mask; index_[next].entry != nullptr; next = (next + 1) & mask) {
    const size_t home = Home(index_[next].hash);
    if (((next - home) & mask) >= ((next - hole) & mask)) {
      index_[hole] = index_[next];
      hole = next;
    }
  }
  index_[hole] = IndexSlot{};
}

std::optional<CDS_Map::Position> CDS_Map::Locate(const ScriptValue& key) const {
  const DSMapEntry* entry = Lookup(key, IndexHash(key));
  if (entry == nullptr) return std::nullopt;
  const uint32_t bucket = DSMap_KeyHash(key) & kBucketMask;
  const Bucket& chain = (*buckets_)[bucket];
  size_t i = 0;
  while (chain[i].get() != entry) ++i;
  return Position{bucket, i};
}

void CDS_Map::Append(ScriptValue key, ScriptValue value) {
  const uint32_t hash = IndexHash(key);
  const bool twin = Lookup(key, hash) != nullptr;
  AppendEntry(std::move(key), std::move(value), hash, !twin);
  if (twin) hasTwins_ = true;  // the index keeps the first
}

void CDS_Map::AppendEntry(ScriptValue key, ScriptValue value, uint32_t hash, bool indexed) {
  Bucket& chain = (*buckets_)[DSMap_KeyHash(key) & kBucketMask];
  chain.push_back(std::make_unique<DSMapEntry>(DSMapEntry{std::move(key), std::move(value)}));
  if (indexed) IndexInsert(hash, chain.back().get());
  ++count_;
}

bool CDS_Map::Add(const ScriptValue& key, const ScriptValue& value) {
  const uint32_t hash = IndexHash(key);
  if (Lookup(key, hash) != nullptr) return false;
  AppendEntry(key, value, hash, true);
  return true;
}

bool CDS_Map::Replace(const ScriptValue& key, const ScriptValue& value) {
  const uint32_t hash = IndexHash(key);
  if (DSMapEntry* entry = Lookup(key, hash)) {
    entry->value = value;
    return true;
  }
  AppendEntry(key, value, hash, true);
  return false;
}

DSMapEntry* CDS_Map::Find(const ScriptValue& key) { return Lookup(key, IndexHash(key)); }

const DSMapEntry* CDS_Map::Find(const ScriptValue& key) const {
  return Lookup(key, IndexHash(key));
}

void CDS_Map::Delete(const ScriptValue& key) {
  auto at = Locate(key);
  if (!at) return;
  Bucket& chain = (*buckets_)[at->bucket];
  const uint32_t hash = IndexHash(key);
  IndexErase(chain[at->index].get(), hash);
  chain.erase(chain.begin() + std::ptrdiff_t(at->index));
  --count_;
  if (hasTwins_) {
    // A second entry of the key now answers for it.
    for (size_t i = at->index; i < chain.size(); ++i) {
      if (SameKey(chain[i]->key, key)) {
        IndexInsert(hash, chain[i].get());
        break;
      }
    }
  }
}

void CDS_Map::Clear() {
  for (uint32_t b = kBucketCount; b-- > 0;) (*buckets_)[b].clear();
  index_.clear();
  indexShift_ = 64;
  count_ = 0;
  hasTwins_ = false;
}

const DSMapEntry* CDS_Map::FindFirst() const {
  for (const Bucket& chain : *buckets_)
    if (!chain.empty()) return chain.front().get();
  return nullptr;
}

const DSMapEntry* CDS_Map::FindLast() const {
  for (uint32_t b = kBucketCount; b-- > 0;)
    if (!(*buckets_)[b].empty()) return (*buckets_)[b].back().get();
  return nullptr;
}

const DSMapEntry* CDS_Map::FindNext(const ScriptValue& key) const {
  auto at = Locate(key);
  if (!at) return nullptr;
  const Bucket& chain = (*buckets_)[at->bucket];
  if (at->index + 1 < chain.size()) return chain[at->index + 1].get();
  for (uint32_t b = at->bucket + 1; b < kBucketCount; ++b)
    if (!(*buckets_)[b].empty()) return (*buckets_)[b].front().get();
  return nullptr;
}

const DSMapEntry* CDS_Map::FindPrevious(const ScriptValue& key) const {
  auto at = Locate(key);
  if (!at) return nullptr;
  if (at->index > 0) return (*buckets_)[at->bucket][at->index - 1].get();
  for (uint32_t b = at->bucket; b-- > 0;)
    if (!(*buckets_)[b].empty()) return (*buckets_)[b].back().get();
  return nullptr;
}

void CDS_Map::Copy(const CDS_Map& other) {
  if (this == &other) return;
  Clear();
  for (const Bucket& chain : *other.buckets_)
    for (const auto& entry : chain) Append(entry->key, entry->value);
}

std::string CDS_Map::Write() const {
  std::string out;
  bool first = true;
  for (const Bucket& chain : *buckets_) {
    for (const auto& entry : chain) {
      if (!first) out += ',';
      first = false;
      out += char('0' + (entry->key.IsString() ? 1 : 0) + (entry->value.IsString() ? 2 : 0));
      out += ':';
      if (entry->key.IsString())
        AppendStringToken(out, entry->key.Text());
      else
        AppendRealToken(out, entry->key.real);
      out += ':';
      if (entry->value.IsString())
        AppendStringToken(out, entry->value.Text());
      else
        AppendRealToken(out, entry->value.real);
    }
  }
  return out;
}

bool CDS_Map::Read(std::string_view text) {
  std::vector<DSMapEntry> entries;
  size_t position = 0;
  while (position < text.size()) {
    char digit = text[position];
    if (digit < '0' || digit > '3') return false;
    bool keyIsString = (digit - '0') & 1;
    bool valueIsString = (digit - '0') & 2;
    if (position + 1 >= text.size() || text[position + 1] != ':') return false;
    position += 2;
    auto key = ReadToken(text, position, keyIsString);
    if (!key || position >= text.size() || text[position] != ':') return false;
    ++position;
    auto value = ReadToken(text, position, valueIsString);
    if (!value) return false;
    entries.push_back(DSMapEntry{std::move(*key), std::move(*value)});
    if (position < text.size()) {
      if (text[position] != ',') return false;
      ++position;
      if (position >= text.size()) return false;  // a separator with no entry after it
    }
  }
  Clear();
  for (DSMapEntry& entry : entries) Append(std::move(entry.key), std::move(entry.value));
  return true;
}

// ---- tables -----------------------------------------------------------------

DS_ContainerTables& DS_Tables() {
  static DS_ContainerTables tables;
  return tables;
}

int32_t DSMap_NewIndex(std::unique_ptr<CDS_Map> map) { return DS_Tables().maps.Add(std::move(map)); }

int32_t DSMap_CreateFromPairs(const std::vector<DSMapPair>& pairs) {
  auto map = std::make_unique<CDS_Map>();
  for (const DSMapPair& pair : pairs) {
    ScriptValue value = pair.text ? ScriptValue::String(*pair.text) : ScriptValue::Real(pair.real);
    map->Add(ScriptValue::String(pair.key), value);
  }
  return DSMap_NewIndex(std::move(map));
}

int32_t DSMap_CreateFromPairs(std::initializer_list<DSMapPair> pairs) {
  return DSMap_CreateFromPairs(std::vector<DSMapPair>(pairs));
}

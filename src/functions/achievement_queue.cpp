#include "functions/achievement_queue.h"

#include <deque>
#include <mutex>
#include <optional>

#include "platform/load_save.h"

namespace {

struct Queue {
  std::deque<AchievementEntry> entries;  // the current entry, when there is one, is the first
  AchievementState state = AchievementState::Idle;
  int32_t rest = 0;
  bool changed = false;
  bool cacheRead = false;
  bool available = false;
  std::function<void(const AchievementEntry&)> sender;
  std::recursive_mutex lock;
};

Queue& State() {
  static Queue queue;
  return queue;
}

bool Sendable(uint32_t kind) { return kind >= 1 && kind <= 4; }

void PutU32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

bool GetU32(const std::vector<uint8_t>& bytes, size_t& at, uint32_t& value) {
  if (bytes.size() - at < 4) return false;
  value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[at + static_cast<size_t>(i)]) << (8 * i);
  at += 4;
  return true;
}

void RemoveHead(Queue& queue) {
  queue.entries.pop_front();
  queue.changed = true;
  Achievement_SaveCache();
}

}  // namespace

std::vector<uint8_t> Achievement_CacheBytes(const std::vector<AchievementEntry>& entries) {
  std::vector<uint8_t> bytes;
  for (const AchievementEntry& entry : entries) {
    PutU32(bytes, entry.kind);
    bytes.insert(bytes.end(), entry.name.begin(), entry.name.end());
    bytes.push_back(0);
    PutU32(bytes, entry.value);
  }
  return bytes;
}

std::vector<AchievementEntry> Achievement_ParseCache(const std::vector<uint8_t>& bytes) {
  std::vector<AchievementEntry> entries;
  size_t at = 0;
  while (at < bytes.size()) {
    AchievementEntry entry;
    if (!GetU32(bytes, at, entry.kind)) break;
    size_t end = at;
    while (end < bytes.size() && bytes[end] != 0) ++end;
    if (end == bytes.size()) break;  // the name has no end inside the file
    entry.name.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(end));
    at = end + 1;
    if (!GetU32(bytes, at, entry.value)) break;
    entries.push_back(std::move(entry));
  }
  return entries;
}

void Achievement_Start() {
  Queue& queue = State();
  std::lock_guard guard(queue.lock);
  queue.entries.clear();
  queue.state = AchievementState::Idle;
  queue.rest = 0;
  queue.changed = false;
  queue.cacheRead = false;
  queue.available = true;
}

void Achievement_Enqueue(uint32_t kind, std::string_view name, uint32_t value) {
  Queue& queue = State();
  std::lock_guard guard(queue.lock);
  if (queue.entries.size() > static_cast<size_t>(kAchievementQueueLimit)) return;
  queue.entries.push_back({kind, std::string(name), value});
  queue.changed = true;
  Achievement_SaveCache();
}

void Achievement_Post(uint32_t kind, std::string_view name, uint32_t value) {
  Achievement_LoadCache();
  Achievement_Enqueue(kind, name, value);
}

bool Achievement_LoadCache() {
  Queue& queue = State();
  std::lock_guard guard(queue.lock);
  if (!queue.entries.empty()) return false;
  queue.cacheRead = true;
  std::optional<std::vector<uint8_t>> bytes = LoadSave_ReadSaveFile(kAchievementCacheFile);
  if (!bytes) return false;
  for (const AchievementEntry& entry : Achievement_ParseCache(*bytes)) Achievement_Enqueue(entry.kind, entry.name, entry.value);
  return false;
}

void Achievement_SaveCache() {
  Queue& queue = State();
  std::lock_guard guard(queue.lock);
  if (!queue.cacheRead) return;
  const std::vector<uint8_t> bytes =
      Achievement_CacheBytes(std::vector<AchievementEntry>(queue.entries.begin(), queue.entries.end()));
  LoadSave_WriteFile(kAchievementCacheFile, bytes.data(), bytes.size());
  queue.changed = false;
}

void Achievement_Update() {
  Queue& queue = State();
  std::lock_guard guard(queue.lock);
  if (!queue.cacheRead) Achievement_LoadCache();
  if (!queue.available || queue.entries.empty()) return;
  switch (queue.state) {
    case AchievementState::Idle: {
      queue.state = AchievementState::Sent;
      const AchievementEntry head = queue.entries.front();
      if (Sendable(head.kind)) {
        if (queue.sender) queue.sender(head);
        break;
      }
      RemoveHead(queue);
      queue.rest = kAchievementRestFrames;
      queue.state = AchievementState::Resting;
      break;
    }
    case AchievementState::Sent:
      break;
    case AchievementState::Done:
      RemoveHead(queue);
      queue.state = AchievementState::Idle;
      break;
    case AchievementState::Failed:
      queue.rest = kAchievementRestFrames;
      queue.state = AchievementState::Resting;
      queue.entries.push_back(queue.entries.front());
      RemoveHead(queue);
      break;
    case AchievementState::Resting:
      if (queue.rest > 0) --queue.rest;
      if (queue.rest == 0) queue.state = AchievementState::Idle;
      break;
  }
}

void Achievement_SetState(AchievementState state) {
  std::lock_guard guard(State().lock);
  State().state = state;
}

void Achievement_SetAvailable(bool available) {
  std::lock_guard guard(State().lock);
  State().available = available;
}

bool Achievement_Available() { return State().available; }

std::vector<AchievementEntry> Achievement_Entries() {
  std::lock_guard guard(State().lock);
  return {State().entries.begin(), State().entries.end()};
}

AchievementState Achievement_CurrentState() { return State().state; }

void Achievement_SetSender(std::function<void(const AchievementEntry&)> sender) {
  std::lock_guard guard(State().lock);
  State().sender = std::move(sender);
}

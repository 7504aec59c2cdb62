// The achievement post queue: achievement and score posts waiting for the online
// achievement service, kept in "achievementcache.dat" in the save area so that they survive
// the program (format: docs/achievement-cache.md). Every change rewrites the file; once a
// frame the head entry is handed to the service, which reports it done or failed; a failed
// entry goes to the back and the queue rests 600 frames.
//
// This runner's service layer keeps posts and never answers: a sent entry waits in the file
// until a service reports it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kAchievementCacheFile[] = "achievementcache.dat";
// The queue takes an entry while it holds this many or fewer (so it can reach 2049).
inline constexpr int32_t kAchievementQueueLimit = 2048;
inline constexpr int32_t kAchievementRestFrames = 600;

// Kinds 1 and 4 carry an integer, 2 and 3 the bits of a single-precision real; other kinds
// are not sendable.
enum AchievementKind : uint32_t {
  kAchievementScore = 1,
  kAchievementProgress = 2,
};

enum class AchievementState : int32_t { Idle = 0, Sent = 1, Done = 2, Failed = 3, Resting = 4 };

struct AchievementEntry {
  uint32_t kind = 0;
  std::string name;
  uint32_t value = 0;
};

// Start-up: the queue empty, the service available. The cache file is read at the first
// frame or the first post, once the save area is known.
void Achievement_Start();
void Achievement_Enqueue(uint32_t kind, std::string_view name, uint32_t value);
void Achievement_Post(uint32_t kind, std::string_view name, uint32_t value);
// Reads the cache into an empty queue (a queue that holds entries is left as it is).
// Answers false, as the service layer expects.
bool Achievement_LoadCache();
// Writes the whole queue; does nothing until the cache has been read, so that a run that
// ends before its first frame never empties the file of a previous run.
void Achievement_SaveCache();
void Achievement_Update();
void Achievement_SetState(AchievementState state);
void Achievement_SetAvailable(bool available);
bool Achievement_Available();

// The file's bytes for entries, and the entries of the bytes (an incomplete entry at the end,
// such as a name without its NUL or a value cut short, ends the reading).
std::vector<uint8_t> Achievement_CacheBytes(const std::vector<AchievementEntry>& entries);
std::vector<AchievementEntry> Achievement_ParseCache(const std::vector<uint8_t>& bytes);

std::vector<AchievementEntry> Achievement_Entries();
AchievementState Achievement_CurrentState();

// The service's send operation (kind, name, value bits); by default nothing is sent.
void Achievement_SetSender(std::function<void(const AchievementEntry&)> sender);

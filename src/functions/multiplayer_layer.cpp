#include "functions/multiplayer_layer.h"

#include <array>
#include <vector>

namespace {

struct PlayerEntry {
  int32_t id = 0;
  std::string name;
};

struct Layer {
  std::array<MultiplayerMessage, kMultiplayerQueueSize> queue{};
  int32_t queued = 0;
  MultiplayerMessage current;
  std::vector<PlayerEntry> players;
  std::vector<ScriptValue> shared;
  bool sessionMode = false;
  bool dataMode = true;
};

Layer& State() {
  static Layer layer;
  return layer;
}

bool IsSlot(int32_t index) { return index >= 0 && index <= kMultiplayerMaxSharedIndex; }

void GrowShared(int32_t index) {
  std::vector<ScriptValue>& shared = State().shared;
  if (static_cast<size_t>(index) >= shared.size()) shared.resize(static_cast<size_t>(index) + 1);
}

// The transport's shared-data operations: without a transport a read finds nothing and a
// write delivers nothing.
bool Transport_SharedRead(int32_t, ScriptValue&) { return false; }
int32_t Transport_SharedWrite(int32_t, const ScriptValue&, bool) { return 0; }

}  // namespace

bool DPlay_QueueMessage(const MultiplayerMessage& message) {
  Layer& layer = State();
  if (layer.queued >= kMultiplayerQueueSize) return false;
  layer.queue[static_cast<size_t>(layer.queued++)] = message;
  return true;
}

int32_t DPlay_QueuedCount() { return State().queued; }

bool DPlay_AddPlayer(int32_t kind, int32_t id, std::string_view name) {
  constexpr int32_t kPlayerEntry = 1;
  if (kind == kPlayerEntry) State().players.push_back({id, std::string(name)});
  return true;
}

int32_t DPlay_PlayerCount() { return static_cast<int32_t>(State().players.size()); }

bool DPlay_SharedRead(int32_t index, ScriptValue& value) {
  if (!IsSlot(index)) return false;
  GrowShared(index);
  const bool answer = Transport_SharedRead(index, State().shared[static_cast<size_t>(index)]);
  value = State().shared[static_cast<size_t>(index)];
  return answer;
}

int32_t DPlay_SharedWrite(int32_t index, const ScriptValue& value) {
  if (!IsSlot(index)) return 0;
  GrowShared(index);
  const int32_t answer = Transport_SharedWrite(index, value, State().dataMode);
  if (answer > 0) State().shared[static_cast<size_t>(index)] = value;
  return answer;
}

void DPlay_SharedSet(int32_t index, const ScriptValue& value) {
  if (!IsSlot(index)) return;
  GrowShared(index);
  State().shared[static_cast<size_t>(index)] = value;
}

int32_t DPlay_SharedCount() { return static_cast<int32_t>(State().shared.size()); }

void DPlay_Reset() {
  Layer& layer = State();
  layer.queue.fill(MultiplayerMessage{});
  layer.queued = 0;
  std::vector<ScriptValue>().swap(layer.shared);
}

void DPlay_Clear() {
  DPlay_Reset();
  Layer& layer = State();
  layer.current = MultiplayerMessage{};
  layer.players.clear();
  layer.sessionMode = false;
  layer.dataMode = true;
}

MultiplayerMessage& DPlay_CurrentMessage() { return State().current; }

std::string DPlay_SenderName() {
  for (const PlayerEntry& player : State().players) {
    if (player.id == State().current.playerId) return player.name;
  }
  return "(unknown)";
}

void DPlay_SetSessionMode(bool mode) { State().sessionMode = mode; }
bool DPlay_SessionMode() { return State().sessionMode; }
void DPlay_SetDataMode(bool guaranteed) { State().dataMode = guaranteed; }
bool DPlay_DataMode() { return State().dataMode; }

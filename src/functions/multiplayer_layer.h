// The multiplayer layer: the state a session transport fills (received messages, the current
// message, the players of the session, the shared values). This runner has no transport, so
// nothing fills it while a game runs; the mplay_* built-ins read the current message and the
// player table through it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/script_value.h"

inline constexpr int32_t kMultiplayerQueueSize = 4000;
inline constexpr int32_t kMultiplayerMaxSharedIndex = 1000000;

struct MultiplayerMessage {
  int32_t playerId = 0;
  int32_t messageId = 0;
  ScriptValue value;
};

// A received message is queued (a copy); a full queue drops it. Answers whether it was kept.
bool DPlay_QueueMessage(const MultiplayerMessage& message);
int32_t DPlay_QueuedCount();
// The player enumeration's callback: a player entry (kind 1) is appended with a copy of its
// name; other kinds are skipped. Answers true (go on enumerating).
bool DPlay_AddPlayer(int32_t kind, int32_t id, std::string_view name);
int32_t DPlay_PlayerCount();

// Shared values, slots 0 .. 1,000,000. A read answers the transport's answer (false here)
// and a copy of the slot; an index outside the slots answers false / 0 and stores nothing.
bool DPlay_SharedRead(int32_t index, ScriptValue& value);
int32_t DPlay_SharedWrite(int32_t index, const ScriptValue& value);
// Stores a copy locally, without the transport.
void DPlay_SharedSet(int32_t index, const ScriptValue& value);
int32_t DPlay_SharedCount();

// Empties the message queue and frees the shared values.
void DPlay_Reset();
// The whole layer back to its start (the player table too, the data mode 1).
void DPlay_Clear();

// The message the message built-ins read, and the sender's name ("(unknown)" when no player
// of the table has its id).
MultiplayerMessage& DPlay_CurrentMessage();
std::string DPlay_SenderName();

void DPlay_SetSessionMode(bool mode);
bool DPlay_SessionMode();
void DPlay_SetDataMode(bool guaranteed);
bool DPlay_DataMode();

// The pending-room word: -1 while nothing is pending; the main loop acts on anything else
// at the end of the step (a room number, or one of the negative codes such as -400 for
// "the game ends after a fatal error").
#pragma once

#include <cstdint>

inline constexpr int32_t kPendingRoomNone = -1;
inline constexpr int32_t kPendingRoomFatalError = -400;

extern int32_t g_PendingRoom;

void Runner_SetPendingRoom(int32_t room);
int32_t Runner_GetPendingRoom();

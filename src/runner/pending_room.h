// Setting and reading the main loop's pending-room word (PendingRoom in main_loop.h) from
// code that does not otherwise deal with the loop: -1 while nothing is pending; the loop acts
// on anything else at the end of the step (a room number, or a negative code such as -400:
// the game ends after a fatal error).
#pragma once

#include <cstdint>

#include "runner/main_loop.h"

inline constexpr int32_t kPendingRoomNone = PendingRoomCode::None;
inline constexpr int32_t kPendingRoomFatalError = PendingRoomCode::FatalError;

void Runner_SetPendingRoom(int32_t room);
int32_t Runner_GetPendingRoom();

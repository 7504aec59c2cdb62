#include "runner/pending_room.h"

int32_t g_PendingRoom = kPendingRoomNone;

void Runner_SetPendingRoom(int32_t room) { g_PendingRoom = room; }

int32_t Runner_GetPendingRoom() { return g_PendingRoom; }

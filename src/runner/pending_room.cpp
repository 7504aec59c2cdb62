#include "runner/pending_room.h"

void Runner_SetPendingRoom(int32_t room) { PendingRoom = room; }

int32_t Runner_GetPendingRoom() { return PendingRoom; }

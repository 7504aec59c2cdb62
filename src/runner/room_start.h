// The transitions of the game: starting it, entering a room, leaving it and ending the game.
// They decide which instances survive a room change (persistent instances are carried into
// the next room; persistent rooms are kept with their instances), the order of create events
// and creation code, and when game start, room start, room end and game end are raised.
#pragma once

#include <cstdint>

class CRoom;

// The running room, or null (before the game starts, after it ends). Never a room that was
// destroyed.
CRoom* Run_CurrentRoom();
int32_t Run_CurrentRoomIndex();  // -1 without a current room

void StartGame();
void Room_Start(int32_t index, bool gameStart);
void Room_End(bool gameEnding);
// Ends the game once; a second call finds nothing to end.
void EndGame();
void Room_Change(int32_t index);
// Shut-down: every stored room and carried instance goes.
void Persistent_FreeAll();

// Connects the rooms to the rest of the runner: the main loop's step and room requests, the
// instance walks of code, the built-in variables' room, the sprite shapes of instances.
void Room_InstallHooks();

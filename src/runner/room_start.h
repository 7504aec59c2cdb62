// The transitions of the game: starting it, entering a room, leaving it and ending the game.
// They decide which instances survive a room change (persistent instances are carried into
// the next room; persistent rooms are kept with their instances), the order of create events
// and creation code, and when game start, room start, room end and game end are raised.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

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

// Saved games: one slot per room index, the current room and the kept persistent rooms.
const std::vector<std::unique_ptr<CRoom>>& Room_StoredRooms();
// A loaded game takes over: every stored room goes and the given ones take their places; slot
// current (which must hold a room) becomes the current room without any event. The instances
// of the current room are in the id map and their objects' lists, those of the other rooms
// in neither.
void Room_ReplaceStoredRooms(std::vector<std::unique_ptr<CRoom>> rooms, int32_t current);

// Connects the rooms to the rest of the runner: the main loop's step and room requests, the
// instance walks of code, the built-in variables' room, the sprite shapes of instances.
void Room_InstallHooks();

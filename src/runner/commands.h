// The runner's commands behind the instance, room and game built-ins: creating and destroying
// instances, counting them, and requesting room changes and the end or restart of the game.
#pragma once

#include <cstdint>

class CInstance;

// A new instance of the object in the current room with its create event run; null (after a
// non-fatal error) when the object does not exist or no room is current.
CInstance* Command_CreateInstance(int32_t object, float x, float y);
// The destroy event, then the mark that removes the instance at the end of the step.
void Command_DestroyInstance(CInstance& instance);
// Instances not marked: of all (-3), of an object with its children, or 1/0 for an id.
int32_t Command_InstanceNumber(int32_t object);

// Room requests: carried out by the main loop at the end of the step.
void Room_Goto(int32_t room);
void Room_GotoPrevious();
void Room_GotoNext();
void Room_Restart();
void Game_EndRequest();
void Game_RestartRequest();

// Room transitions: the settings game code reads and writes (the kind and the number of
// steps), the table of transitions defined by scripts, the 21 built-in effects, and the start
// and finish routines that capture the old room's last picture and the new room's first one
// into two surfaces and play the effect between them. No room change plays a transition
// (transition_kind always reads 0): the routines are complete but nothing in the runner calls
// them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

inline constexpr int32_t kTransitionEffectCount = 21;

void GR_Transition_Set_Steps(int32_t steps);  // at least 1
int32_t GR_Transition_Get_Steps();

// A script, extension function or built-in of that name becomes the transition of kind
// (1..999,999); false when no function bears the name.
bool GR_Transition_Define(int32_t kind, const char* name);
// Stores (or, with a null name, clears the name of) the script-defined transition of kind.
void GR_Transition_Store(int32_t kind, const char* name, int32_t functionId);
// The function id and name of a script-defined transition; -1 and empty when none.
int32_t GR_Transition_Function(int32_t kind);
std::string GR_Transition_Name(int32_t kind);
// Only the 21 built-in effects count: any other kind writes a console line and is false.
bool TransFunctionExists(int32_t kind);
// Writes the console line and reports that no such transition exists (non-fatal).
void GR_Transition_Check_Script();

// What the start routine draws into the old room's surface: the current room with no room
// change pending (the runner installs it).
void GR_Transition_SetRoomDrawer(std::function<void()> drawRoom);
bool GR_Transition_Start(int32_t kind);
bool GR_Transition_Finish();
// The kind the last start stored (-1 after a failed start).
int32_t GR_Transition_Kind();
// The two pictures (-1 when absent).
int32_t GR_Transition_OldSurface();
int32_t GR_Transition_NewSurface();

// Draws the frame of effect kind at fraction (0..1) from the old and new surfaces.
void GR_Transition_Draw(int32_t kind, double fraction);
// The same from any two surfaces of the drawing area's size, with the given step count.
void GR_Transition_DrawFrom(int32_t kind, double fraction, int32_t oldSurface, int32_t newSurface, int32_t steps);

// Shut-down: frees the texture table.
void GR_Texture_Shutdown();

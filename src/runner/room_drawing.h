// Drawing the current room once a frame: views follow their instances and are registered
// with the window; through each visible view (or once over the whole room) the room colour,
// background layers, instances by depth and foreground layers are drawn; then the GUI draw
// event runs once in window coordinates.
#pragma once

#include <cstdint>

struct RoomSettings;

// The current room (the built-in variables' view of it); null when none.
RoomSettings* Room_Current();

void Room_Draw();
void Room_UpdateViews();
// The whole room (views off) or one view's rectangle: left, top, right, bottom.
void Room_DrawView(float left, float top, float right, float bottom);
void Room_DrawInstances();
void Room_DrawGuiEvent(float left, float top, float right, float bottom);
// The depth-ordered pass of instances and tiles (deepest first; at equal depth the instance).
void Room_DrawByDepth(float left, float top, float right, float bottom);
// Where the tiles of the current room come from (the running room by default).
class CRoom;
void Room_SetTileRoomQuery(CRoom* (*query)());

// The view being drawn (view_current); 0 outside drawing.
int32_t Room_CurrentView();
// The size against which the projection's half-texel correction is made: the room's size,
// or view 0's port size when views are on and view 0 is visible. False without a room.
bool Room_ProjectionSize(int& width, int& height);
// The width and height of the GUI layer; negative: the window's.
void Room_SetGuiSize(int width, int height);
void Room_GetGuiSize(int& width, int& height);

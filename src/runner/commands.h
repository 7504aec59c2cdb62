// The runner's commands behind the instance, room, collision and motion built-ins: creating,
// changing and destroying instances, counting and finding them, the collision and place
// queries, the move commands, and requesting room changes and the end or restart of the game.
//
// Object arguments of the queries: -3 all instances of the current room, 100000 and above an
// instance id, anything else an object index (its instances and its children's). Instances
// marked for removal and deactivated instances never match.
#pragma once

#include <cstdint>

#include "script/variable_access.h"

class CInstance;

inline constexpr int32_t kSelectAll = -3;

// Visits the instances an object argument selects (not marked, not deactivated) in list order;
// the visitor answers false to stop. Ids and objects that do not exist select nothing.
void Command_ForEachSelected(int32_t object, const InstanceVisitor& visit);

// A new instance of the object in the current room with its create event run; null (after a
// non-fatal error) when the object does not exist or no room is current.
CInstance* Command_CreateInstance(int32_t object, float x, float y);
// The destroy event, then the mark that removes the instance at the end of the step.
void Command_DestroyInstance(CInstance& instance);
// Turns the instance into one of another object; with perform, the old object's destroy event
// runs first and the new one's create event after. The rest of the step still reaches it.
void Command_ChangeInstance(CInstance& instance, int32_t object, bool perform);
void Command_SetSprite(CInstance& instance, int32_t sprite);
// A copy of the instance (fresh id) at its place in the current room; with perform its create
// event runs. Null without a current room.
CInstance* Command_CopyInstance(CInstance& instance, bool perform);
// Instances not marked: of all (-3), of an object with its children, or 1/0 for an id.
int32_t Command_InstanceNumber(int32_t object);

// ---- queries: the first matching instance in list order, or null ----
CInstance* Command_CollisionPoint(CInstance* self, float x, float y, int32_t object, bool precise, bool notme);
CInstance* Command_CollisionRectangle(CInstance* self, float x1, float y1, float x2, float y2, int32_t object,
                                      bool precise, bool notme);
CInstance* Command_CollisionEllipse(CInstance* self, float x1, float y1, float x2, float y2, int32_t object,
                                    bool precise, bool notme);
CInstance* Command_CollisionLine(CInstance* self, float x1, float y1, float x2, float y2, int32_t object,
                                 bool precise, bool notme);
// The first instance whose shape holds the point (precise test).
CInstance* Command_InstancePosition(float x, float y, int32_t object);
bool Command_PositionMeeting(float x, float y, int32_t object);
// By the distance of the instances' positions; the first found wins ties. An id gives null.
CInstance* Command_InstanceNearest(float x, float y, int32_t object);
CInstance* Command_InstanceFurthest(float x, float y, int32_t object);
// The first instance that self, placed at (x, y), collides with; never self.
CInstance* Command_InstancePlace(CInstance& self, float x, float y, int32_t object);
// The n-th instance (from 0) not marked for removal, or null.
CInstance* Command_InstanceFind(int32_t object, int32_t n);
// Self placed at (x, y): no instance at all / no solid instance / an instance of the object
// collides with it. Self goes back to where it was.
bool Command_IsEmpty(CInstance& self, float x, float y);
bool Command_IsFree(CInstance& self, float x, float y);
bool Command_IsMeeting(CInstance& self, float x, float y, int32_t object);
// Every instance whose shape holds the point: destroyed / changed into object.
void Command_PositionDestroy(float x, float y);
void Command_PositionChange(float x, float y, int32_t object, bool perform);

// ---- motion ----
void Command_MoveSnap(CInstance& self, int32_t hsnap, int32_t vsnap);
void Command_Wrap(CInstance& self, bool horizontal, bool vertical);
void Command_MoveTowardsPoint(CInstance& self, float x, float y, float speed);
// Steps of one pixel in the direction while the next place is free, at most maxdist (1000
// when maxdist <= 0). "Free": of every instance when all, else of solid ones. Answers whether
// the last place tested was free.
bool Command_MoveContact(CInstance& self, float direction, float maxdist, bool all);
// Steps of one pixel until the place is free, at most maxdist (1000 when <= 0); whether it is.
bool Command_MoveOutside(CInstance& self, float direction, float maxdist, bool all);
// Reverses the motion against what it would run into (plain: by the horizontal and vertical
// speeds; advanced: by probing directions in steps of 10 degrees).
void Command_Bounce(CInstance& self, bool advanced, bool all);

// The current room's size; false (0 x 0) without a current room.
bool Command_RoomSize(int32_t& width, int32_t& height);

// Room requests: carried out by the main loop at the end of the step.
void Room_Goto(int32_t room);
void Room_GotoPrevious();
void Room_GotoNext();
void Room_Restart();
void Game_EndRequest();
void Game_RestartRequest();

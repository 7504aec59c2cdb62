// object_* and room_*: the object and room resource built-ins. They change the object table and
// the room templates; a running room is built from its template when it is entered.
#include <cstdint>
#include <memory>
#include <string>

#include "data/background.h"
#include "data/event_lists.h"
#include "data/objects.h"
#include "data/rooms.h"
#include "functions/argument_helpers.h"
#include "functions/resource_functions.h"
#include "platform/console.h"
#include "platform/conversions.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

using Args = ScriptValue*;

void Report(const char* message) { Error_Show_Action(message, false); }

// ---- objects ----

CObjectKF* ObjectArg(const ScriptValue& value) { return Object_Data(Arg_Rounded(value)); }

void F_ObjectExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Object_Exists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_ObjectName(ScriptValue& r, CInstance*, CInstance*, int, Args a) { r.SetString(Object_Name(Arg_Rounded(a[0]))); }

enum class ObjectField { Sprite, Depth, Mask, Parent, Solid, Visible, Persistent };
template <ObjectField F>
void F_ObjectGet(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const CObjectKF* o = ObjectArg(a[0]);
  if (o == nullptr) {
    r.SetReal(-1);
    return;
  }
  switch (F) {
    case ObjectField::Sprite: r.SetReal(o->spriteIndex); break;
    case ObjectField::Depth: r.SetReal(o->depth); break;
    case ObjectField::Mask: r.SetReal(o->maskIndex); break;
    case ObjectField::Parent: r.SetReal(o->parentIndex); break;
    case ObjectField::Solid: r.SetReal(o->IsSolid() ? 1 : 0); break;
    case ObjectField::Visible: r.SetReal(o->IsVisible() ? 1 : 0); break;
    case ObjectField::Persistent: r.SetReal(o->IsPersistent() ? 1 : 0); break;
  }
}

void F_ObjectIsAncestor(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const CObjectKF* o = ObjectArg(a[0]);
  r.SetReal(o == nullptr ? -1 : o->HasAncestor(Arg_Rounded(a[1])) ? 1 : 0);
}

void F_ObjectSetSprite(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CObjectKF* o = ObjectArg(a[0])) o->spriteIndex = Arg_Rounded(a[1]);
}
void F_ObjectSetMask(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CObjectKF* o = ObjectArg(a[0])) o->maskIndex = Arg_Rounded(a[1]);
}
void F_ObjectSetSolid(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CObjectKF* o = ObjectArg(a[0])) o->SetSolid(Arg_Flag(a[1]));
}
void F_ObjectSetVisible(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CObjectKF* o = ObjectArg(a[0])) o->SetVisible(Arg_Flag(a[1]));
}
void F_ObjectSetPersistent(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CObjectKF* o = ObjectArg(a[0])) o->SetPersistent(Arg_Flag(a[1]));
}
void F_ObjectSetDepth(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CObjectKF* o = ObjectArg(a[0])) o->depth = Arg_Truncated(a[1]);
}

void F_ObjectSetParent(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Truncated(a[0]);
  const int32_t parent = Arg_Truncated(a[1]);
  CObjectKF* o = Object_Data(index);
  if (o == nullptr) return;
  if (parent < 0) {
    // The link goes with the index: the old parent no longer lists this object's instances.
    o->SetParent(-1);
    Object_Rebuild_Event_Lists();
    return;
  }
  const CObjectKF* p = Object_Data(parent);
  if (p == nullptr) {
    Report("Setting a non-existing parent.");
    return;
  }
  if (parent == index || p->HasAncestor(index)) {
    Report("Creating a cycle in the parent relation.");
    return;
  }
  o->SetParent(parent);
  Object_Rebuild_Event_Lists();
}

void F_ObjectAdd(ScriptValue& r, CInstance*, CInstance*, int, Args) { r.SetReal(Object_AddNew()); }

void F_ObjectDelete(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Object_Exists(index)) {
    Report("Trying to delete non-existing object.");
    return;
  }
  Object_Delete(index);
  Object_Rebuild_Event_Lists();
  r.SetReal(1);
}

// Clearing an event leaves its code in place: only the event lists are rebuilt.
void F_ObjectEventClear(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const CObjectKF* o = ObjectArg(a[0]);
  if (o != nullptr && o->GetEvent(Arg_Rounded(a[1]), Arg_Rounded(a[2])) != nullptr) Object_Rebuild_Event_Lists();
}

void F_ObjectEventAdd(ScriptValue&, CInstance*, CInstance*, int, Args) {
  g_DebugConsole->Output("object_event_add :: deprecated function\n");
}

// ---- rooms ----

CRoom* RoomArg(const ScriptValue& value) { return Room_Data(Arg_Rounded(value)); }

void F_RoomExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Room_Exists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_RoomName(ScriptValue& r, CInstance*, CInstance*, int, Args a) { r.SetString(Room_GetName(Arg_Rounded(a[0]))); }

void F_RoomSetWidth(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CRoom* room = RoomArg(a[0])) room->width = Arg_Rounded(a[1]);
}
void F_RoomSetHeight(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CRoom* room = RoomArg(a[0])) room->height = Arg_Rounded(a[1]);
}
void F_RoomSetCaption(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CRoom* room = RoomArg(a[0])) room->SetCaption(Arg_String(a[1]));
}
void F_RoomSetPersistent(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CRoom* room = RoomArg(a[0])) room->persistent = Arg_Flag(a[1]);
}

// The creation code is compiled at once; code that does not compile is reported and the room
// is left without creation code.
void F_RoomSetCode(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  CRoom* room = Room_Data(index);
  if (room == nullptr) return;
  room->creationCodeText.assign(Arg_String(a[1]));
  room->creationCode.reset();
  if (room->creationCodeText.empty()) return;
  auto code = std::make_shared<CCode>(room->creationCodeText, false);
  if (!code->Compile(Code_NameRoom(Room_GetName(index)))) {
    const std::string text = "COMPILATION ERROR in room script\n" + Compiler_LastError().text;
    Compiler_ClearError();
    Report(text.c_str());
    return;
  }
  room->creationCode = std::move(code);
}

void F_RoomSetBackgroundColor(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CRoom* room = RoomArg(a[0])) {
    room->colour = static_cast<uint32_t>(Arg_Rounded(a[1]));
    room->showColour = Arg_Flag(a[2]);
  }
}

void F_RoomSetBackground(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CRoom* room = RoomArg(a[0]);
  const int32_t which = Arg_Rounded(a[1]);
  if (room == nullptr || which < 0 || which >= kRoomBackgroundCount) return;
  RoomBackground& b = room->backgrounds[static_cast<size_t>(which)];
  b.visible = Arg_Flag(a[2]);
  b.foreground = Arg_Flag(a[3]);
  b.index = Arg_Rounded(a[4]);
  b.x = Arg_Single(a[5]);
  b.y = Arg_Single(a[6]);
  b.htiled = Arg_Flag(a[7]);
  b.vtiled = Arg_Flag(a[8]);
  b.hspeed = Arg_Single(a[9]);
  b.vspeed = Arg_Single(a[10]);
  b.alpha = Arg_Single(a[11]);
  b.xscale = 1.0f;
  b.yscale = 1.0f;
}

void F_RoomSetView(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CRoom* room = RoomArg(a[0]);
  const int32_t which = Arg_Rounded(a[1]);
  if (room == nullptr || which < 0 || which >= kRoomViewCount) return;
  RoomView& v = room->views[static_cast<size_t>(which)];
  v.visible = Arg_Rounded(a[2]) != 0;
  v.xview = Arg_Rounded(a[3]);
  v.yview = Arg_Rounded(a[4]);
  v.wview = Arg_Rounded(a[5]);
  v.hview = Arg_Rounded(a[6]);
  v.xport = Arg_Rounded(a[7]);
  v.yport = Arg_Rounded(a[8]);
  v.wport = Arg_Rounded(a[9]);
  v.hport = Arg_Rounded(a[10]);
  v.hborder = Arg_Rounded(a[11]);
  v.vborder = Arg_Rounded(a[12]);
  v.hspeed = Arg_Rounded(a[13]);
  v.vspeed = Arg_Rounded(a[14]);
  v.object = Arg_Rounded(a[15]);
}

void F_RoomSetViewEnabled(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CRoom* room = RoomArg(a[0])) room->enableViews = Arg_Flag(a[1]);
}

void F_RoomAdd(ScriptValue& r, CInstance*, CInstance*, int, Args) { r.SetReal(Room_AddNew()); }

void F_RoomDuplicate(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Room_Exists(index)) {
    Report("Trying to duplicate non-existing room.");
    return;
  }
  r.SetReal(Room_Duplicate(index));
}

void F_RoomAssign(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (!Room_Assign(Arg_Rounded(a[0]), Arg_Rounded(a[1]))) Report("Error assigning a room.");
}

void F_RoomInstanceAdd(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(-1);
  CRoom* room = Room_Data(Arg_Truncated(a[0]));
  if (room == nullptr) return;
  r.SetReal(room->AddInstanceRecord(Arg_Single(a[1]), Arg_Single(a[2]), Arg_Truncated(a[3])));
}

// The room's own live instances go, and so do the instances its record will make. A running
// room is a copy built from the record: its instances, the caller among them, are not touched.
void F_RoomInstanceClear(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CRoom* room = RoomArg(a[0]);
  if (room == nullptr) return;
  room->ClearInstances();
  if (room->stored && !room->stored->instances.empty()) {
    auto data = std::make_shared<RoomData>(*room->stored);
    data->instances.clear();
    room->stored = std::move(data);
  }
}

void F_RoomTileAdd(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(-1);
  const int32_t background = Arg_Rounded(a[1]);
  if (!Background_Exists(background)) {
    Report("Background does not exist.");
    return;
  }
  CRoom* room = RoomArg(a[0]);
  if (room == nullptr) return;
  r.SetReal(room->AddTileRecord(background, Arg_Rounded(a[2]), Arg_Rounded(a[3]), Arg_Rounded(a[4]),
                                Arg_Rounded(a[5]), Arg_Single(a[6]), Arg_Single(a[7]), Arg_Rounded(a[8]), 1.0f, 1.0f,
                                0xFFFFFFFF));
}

void F_RoomTileAddExt(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t background = Arg_Rounded(a[1]);
  if (!Background_Exists(background)) {
    Report("Background does not exist.");
    return;
  }
  CRoom* room = RoomArg(a[0]);
  if (room == nullptr) return;
  Tile tile;
  tile.background = background;
  tile.left = Arg_Rounded(a[2]);
  tile.top = Arg_Rounded(a[3]);
  tile.width = Arg_Rounded(a[4]);
  tile.height = Arg_Rounded(a[5]);
  tile.x = Arg_Single(a[6]);
  tile.y = Arg_Single(a[7]);
  tile.depth = static_cast<float>(Arg_Rounded(a[8]));
  tile.xscale = Arg_Single(a[9]);
  tile.yscale = Arg_Single(a[10]);
  tile.alpha = Arg_Single(a[11]);
  tile.blend = 0xFFFFFF;
  tile.visible = true;
  const int32_t at = room->AddTile(tile);
  r.SetReal(room->GetTile(at)->id);
}

void F_RoomTileClear(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CRoom* room = RoomArg(a[0]);
  if (room == nullptr) return;
  room->ClearTiles();
  if (room->stored && !room->stored->tiles.empty()) {
    auto data = std::make_shared<RoomData>(*room->stored);
    data->tiles.clear();
    room->stored = std::move(data);
    room->storedTileCount = 0;
  }
}

struct Row {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr Row kRows[] = {
    {"object_exists", F_ObjectExists, 1},
    {"object_name", F_ObjectName, 1},
    {"object_get_name", F_ObjectName, 1},
    {"object_get_sprite", F_ObjectGet<ObjectField::Sprite>, 1},
    {"object_get_depth", F_ObjectGet<ObjectField::Depth>, 1},
    {"object_get_mask", F_ObjectGet<ObjectField::Mask>, 1},
    {"object_get_parent", F_ObjectGet<ObjectField::Parent>, 1},
    {"object_get_solid", F_ObjectGet<ObjectField::Solid>, 1},
    {"object_get_visible", F_ObjectGet<ObjectField::Visible>, 1},
    {"object_get_persistent", F_ObjectGet<ObjectField::Persistent>, 1},
    {"object_is_ancestor", F_ObjectIsAncestor, 2},
    {"object_set_sprite", F_ObjectSetSprite, 2},
    {"object_set_mask", F_ObjectSetMask, 2},
    {"object_set_solid", F_ObjectSetSolid, 2},
    {"object_set_visible", F_ObjectSetVisible, 2},
    {"object_set_persistent", F_ObjectSetPersistent, 2},
    {"object_set_depth", F_ObjectSetDepth, 2},
    {"object_set_parent", F_ObjectSetParent, 2},
    {"object_add", F_ObjectAdd, 0},
    {"object_delete", F_ObjectDelete, 1},
    {"object_event_clear", F_ObjectEventClear, 3},
    {"object_event_add", F_ObjectEventAdd, 4},
    {"room_exists", F_RoomExists, 1},
    {"room_name", F_RoomName, 1},
    {"room_get_name", F_RoomName, 1},
    {"room_set_width", F_RoomSetWidth, 2},
    {"room_set_height", F_RoomSetHeight, 2},
    {"room_set_caption", F_RoomSetCaption, 2},
    {"room_set_persistent", F_RoomSetPersistent, 2},
    {"room_set_code", F_RoomSetCode, 2},
    {"room_set_background_color", F_RoomSetBackgroundColor, 3},
    {"room_set_background", F_RoomSetBackground, 12},
    {"room_set_view", F_RoomSetView, 16},
    {"room_set_view_enabled", F_RoomSetViewEnabled, 2},
    {"room_add", F_RoomAdd, 0},
    {"room_duplicate", F_RoomDuplicate, 1},
    {"room_assign", F_RoomAssign, 2},
    {"room_instance_add", F_RoomInstanceAdd, 4},
    {"room_instance_clear", F_RoomInstanceClear, 1},
    {"room_tile_add", F_RoomTileAdd, 9},
    {"room_tile_add_ext", F_RoomTileAddExt, 12},
    {"room_tile_clear", F_RoomTileClear, 1},
};

}  // namespace

void RegisterObjectAndRoomFunctions() {
  for (const Row& row : kRows) Function_Add(row.name, row.implementation, row.argc);
}

#include "functions/tile_functions.h"

#include "data/background.h"
#include "data/rooms.h"
#include "functions/argument_helpers.h"
#include "platform/conversions.h"
#include "runner/room_start.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

// The tile of the current room with the given id; null (after the report) when there is none.
Tile* ExistingTile(int32_t id) {
  CRoom* room = Run_CurrentRoom();
  Tile* tile = room != nullptr ? room->GetTile(room->FindTileIndex(id)) : nullptr;
  if (tile == nullptr) Error_Show_Action("Tile does not exist.", false);
  return tile;
}

Tile* TileOf(const ScriptValue* args) { return ExistingTile(Arg_Rounded(args[0])); }

// tile_get_x and tile_get_y narrow the id to single precision before rounding it.
Tile* TileOfSingleId(const ScriptValue* args) {
  return ExistingTile(Conv_RoundToInt32(static_cast<double>(Arg_Single(args[0]))));
}

int32_t RoundedSingle(const ScriptValue& value) { return Conv_RoundToInt32(static_cast<double>(Arg_Single(value))); }

// The id of the tile at index, -1 for none.
int32_t IdAt(CRoom* room, int32_t index) {
  const Tile* tile = room != nullptr ? room->GetTile(index) : nullptr;
  return tile != nullptr ? tile->id : -1;
}

// tile_find and tile_delete_at round the point they are given (the layer forms do not).
float PointCoordinate(const ScriptValue& value) { return static_cast<float>(Arg_Rounded(value)); }

template <typename Read>
void Getter(ScriptValue& result, Tile* tile, Read read) {
  result.SetReal(0.0);
  if (tile != nullptr) result.SetReal(read(*tile));
}

}  // namespace

// ---- getters -------------------------------------------------------------------------------

void F_TileGetX(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOfSingleId(a), [](const Tile& t) { return static_cast<double>(t.x); });
}
void F_TileGetY(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOfSingleId(a), [](const Tile& t) { return static_cast<double>(t.y); });
}
void F_TileGetLeft(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.left); });
}
void F_TileGetTop(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.top); });
}
void F_TileGetWidth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.width); });
}
void F_TileGetHeight(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.height); });
}
void F_TileGetDepth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.depth); });
}
void F_TileGetVisible(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return t.visible ? 1.0 : 0.0; });
}
void F_TileGetXscale(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.xscale); });
}
void F_TileGetYscale(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.yscale); });
}
void F_TileGetBlend(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.blend); });
}
void F_TileGetAlpha(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.alpha); });
}
void F_TileGetBackground(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Getter(r, TileOf(a), [](const Tile& t) { return static_cast<double>(t.background); });
}

// ---- setters -------------------------------------------------------------------------------

void F_TileSetVisible(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (Tile* t = TileOf(a)) t->visible = Arg_FlagSingle(a[1]);
}
void F_TileSetBackground(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (Tile* t = TileOf(a)) t->background = RoundedSingle(a[1]);
}
void F_TileSetRegion(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (Tile* t = TileOf(a)) {
    t->left = RoundedSingle(a[1]);
    t->top = RoundedSingle(a[2]);
    t->width = RoundedSingle(a[3]);
    t->height = RoundedSingle(a[4]);
  }
}
void F_TileSetPosition(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (Tile* t = TileOf(a)) {
    t->x = Arg_Single(a[1]);
    t->y = Arg_Single(a[2]);
  }
}
void F_TileSetDepth(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (Tile* t = TileOf(a)) t->depth = Arg_Single(a[1]);
}
void F_TileSetScale(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (Tile* t = TileOf(a)) {
    t->xscale = Arg_Single(a[1]);
    t->yscale = Arg_Single(a[2]);
  }
}
void F_TileSetBlend(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (Tile* t = TileOf(a)) t->blend = static_cast<uint32_t>(Arg_Rounded(a[1]));
}
void F_TileSetAlpha(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (Tile* t = TileOf(a)) t->alpha = Arg_Single(a[1]);
}

// ---- single tiles --------------------------------------------------------------------------

void F_TileAdd(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  result.SetReal(-1.0);
  const int32_t background = Arg_Rounded(a[0]);
  if (!Background_Exists(background)) {
    Error_Show_Action("Background does not exist.", false);
    return;
  }
  CRoom* room = Run_CurrentRoom();
  if (room == nullptr) return;
  Tile tile;
  tile.background = background;
  tile.left = Arg_Rounded(a[1]);
  tile.top = Arg_Rounded(a[2]);
  tile.width = Arg_Rounded(a[3]);
  tile.height = Arg_Rounded(a[4]);
  tile.x = Arg_Single(a[5]);
  tile.y = Arg_Single(a[6]);
  tile.depth = Arg_Single(a[7]);
  result.SetReal(IdAt(room, room->AddTile(tile)));
}

void F_TileFind(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  result.SetReal(-1.0);
  if (CRoom* room = Run_CurrentRoom()) {
    result.SetReal(IdAt(room, room->FindTileAt(PointCoordinate(a[0]), PointCoordinate(a[1]), Arg_Flag(a[2]))));
  }
}

void F_TileExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  CRoom* room = Run_CurrentRoom();
  result.SetReal(room != nullptr && room->FindTileIndex(Arg_Rounded(a[0])) >= 0 ? 1.0 : 0.0);
}

void F_TileDelete(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  CRoom* room = Run_CurrentRoom();
  const int32_t index = room != nullptr ? room->FindTileIndex(Arg_Rounded(a[0])) : -1;
  if (index < 0) {
    Error_Show_Action("Tile does not exist.", false);
    return;
  }
  room->DeleteTile(index);
}

void F_TileDeleteAt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CRoom* room = Run_CurrentRoom()) {
    room->DeleteTileAt(PointCoordinate(a[0]), PointCoordinate(a[1]), Arg_Flag(a[2]));
  }
}

// ---- layers --------------------------------------------------------------------------------

void F_TileLayerHide(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CRoom* room = Run_CurrentRoom()) room->HideTileLayer(Arg_Single(a[0]));
}
void F_TileLayerShow(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CRoom* room = Run_CurrentRoom()) room->ShowTileLayer(Arg_Single(a[0]));
}
void F_TileLayerDelete(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CRoom* room = Run_CurrentRoom()) room->DeleteTileLayer(Arg_Single(a[0]));
}
void F_TileLayerShift(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CRoom* room = Run_CurrentRoom()) room->ShiftTileLayer(Arg_Single(a[0]), Arg_Single(a[1]), Arg_Single(a[2]));
}
void F_TileLayerFind(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* a) {
  result.SetReal(-1.0);
  if (CRoom* room = Run_CurrentRoom()) {
    result.SetReal(IdAt(room, room->FindTileInLayer(Arg_Single(a[0]), Arg_Single(a[1]), Arg_Single(a[2]))));
  }
}
void F_TileLayerDeleteAt(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CRoom* room = Run_CurrentRoom()) {
    room->DeleteTileInLayerAt(Arg_Single(a[0]), Arg_Single(a[1]), Arg_Single(a[2]));
  }
}
void F_TileLayerDepth(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CRoom* room = Run_CurrentRoom()) room->SetTileLayerDepth(Arg_Single(a[0]), Arg_Single(a[1]));
}

void RegisterTileFunctions() {
  Function_Add("tile_get_x", F_TileGetX, 1);
  Function_Add("tile_get_y", F_TileGetY, 1);
  Function_Add("tile_get_left", F_TileGetLeft, 1);
  Function_Add("tile_get_top", F_TileGetTop, 1);
  Function_Add("tile_get_width", F_TileGetWidth, 1);
  Function_Add("tile_get_height", F_TileGetHeight, 1);
  Function_Add("tile_get_depth", F_TileGetDepth, 1);
  Function_Add("tile_get_visible", F_TileGetVisible, 1);
  Function_Add("tile_get_xscale", F_TileGetXscale, 1);
  Function_Add("tile_get_yscale", F_TileGetYscale, 1);
  Function_Add("tile_get_blend", F_TileGetBlend, 1);
  Function_Add("tile_get_alpha", F_TileGetAlpha, 1);
  Function_Add("tile_get_background", F_TileGetBackground, 1);
  Function_Add("tile_set_visible", F_TileSetVisible, 2);
  Function_Add("tile_set_background", F_TileSetBackground, 2);
  Function_Add("tile_set_region", F_TileSetRegion, 5);
  Function_Add("tile_set_position", F_TileSetPosition, 3);
  Function_Add("tile_set_depth", F_TileSetDepth, 2);
  Function_Add("tile_set_scale", F_TileSetScale, 3);
  Function_Add("tile_set_blend", F_TileSetBlend, 2);
  Function_Add("tile_set_alpha", F_TileSetAlpha, 2);
  Function_Add("tile_add", F_TileAdd, 8);
  Function_Add("tile_find", F_TileFind, 3);
  Function_Add("tile_exists", F_TileExists, 1);
  Function_Add("tile_delete", F_TileDelete, 1);
  Function_Add("tile_delete_at", F_TileDeleteAt, 3);
  Function_Add("tile_layer_hide", F_TileLayerHide, 1);
  Function_Add("tile_layer_show", F_TileLayerShow, 1);
  Function_Add("tile_layer_delete", F_TileLayerDelete, 1);
  Function_Add("tile_layer_shift", F_TileLayerShift, 3);
  Function_Add("tile_layer_find", F_TileLayerFind, 3);
  Function_Add("tile_layer_delete_at", F_TileLayerDeleteAt, 3);
  Function_Add("tile_layer_depth", F_TileLayerDepth, 2);
}

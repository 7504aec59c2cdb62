// Rooms: the room table read from ROOM (templates holding settings and their stored record),
// the room order, and the running rooms built from a template (CRoom::Assign) that own their
// live instances, kept in two depth-ordered lists, and their live tiles.
//
// The running room owns its instances: each lives in the room's owner array from creation to
// destruction (and knows its place there), while the active and deactivated lists link them by depth through the
// instances' own next/previous fields.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/game_data_reader.h"
#include "data/room_settings.h"

class CPhysicsWorld;

class CCode;
class CInstance;
class CStream;

inline constexpr int32_t kRoomStreamTag = 540;

// One instance of a room's stored record.
struct RoomInstanceRecord {
  int32_t x = 0, y = 0;
  int32_t object = 0;
  int32_t id = 0;
  std::shared_ptr<CCode> code;  // creation code; null for none
  float xscale = 1.0f, yscale = 1.0f;
  uint32_t colour = 0xFFFFFFFF;  // low 24 bits blend, top byte alpha × 255
  float rotation = 0.0f;
};

// One tile of a room's stored record.
struct RoomTileRecord {
  int32_t x = 0, y = 0;
  int32_t background = 0;
  int32_t left = 0, top = 0, width = 0, height = 0;
  int32_t depth = 0;
  int32_t id = 0;
  float xscale = 1.0f, yscale = 1.0f;
  uint32_t colour = 0xFFFFFFFF;
};

// The room's record as it stood in the game file (or as room_add made it): its lists of
// instances and tiles, which room start turns into live ones.
struct RoomData {
  std::vector<RoomInstanceRecord> instances;
  std::vector<RoomTileRecord> tiles;
};

// A live tile of a running room.
struct Tile {
  float x = 0.0f, y = 0.0f;
  int32_t background = 0;
  int32_t left = 0, top = 0, width = 0, height = 0;
  float depth = 0.0f;
  int32_t id = 0;
  float xscale = 1.0f, yscale = 1.0f;
  uint32_t blend = 0xFFFFFF;
  float alpha = 1.0f;
  bool visible = true;
};

class CRoom : public RoomSettings {
 public:
  CRoom();
  ~CRoom();
  CRoom(const CRoom&) = delete;
  CRoom& operator=(const CRoom&) = delete;

  // Defaults of every setting; every live instance destroyed and the tiles dropped. The
  // creation code object is kept.
  void Clear();
  // Reads the room record at offset (bounded by the chunk's end). Throws GameDataError for a
  // damaged record, more than 8 backgrounds or more than 8 views.
  void LoadFromChunk(const GameDataReader& reader, uint32_t offset, uint64_t end,
                     uint32_t dataVersion, bool storedCode);
  // Builds this room from src: settings, backgrounds, views, the shared stored record and
  // creation code, and with instances the live instances and tiles of the stored record.
  // src's own live instances and tiles are copied in both cases.
  void Assign(const CRoom* src, bool withInstances);
  void SaveToStream(CStream& stream) const;
  // False (with the room cleared) for a wrong tag or a damaged stream.
  bool LoadFromStream(CStream& stream);

  const std::string& Name() const { return name_; }
  void SetName(std::string_view name) { name_.assign(name); }
  // room_add: an empty stored record of its own.
  void CreateEmptyData();
  int32_t AddInstanceRecord(float x, float y, int32_t object);
  int32_t AddTileRecord(int32_t background, int32_t left, int32_t top, int32_t width, int32_t height,
                        float x, float y, int32_t depth, float xscale, float yscale, uint32_t colour);

  // ---- live instances ----
  // A new instance with the next id, in the active list by depth and in the id map.
  CInstance* AddInstance(float x, float y, int32_t object);
  // Takes an instance into the room: active list by depth and the id map.
  CInstance* LinkInstance(std::unique_ptr<CInstance> instance);
  // Out of the id map and its list, then destroyed.
  void DeleteInstance(CInstance* instance);
  void RemoveDestroyedInstances();
  void ClearInstances();
  void ClearDeactivated();
  // Moves instances whose deactivated flag changed between the two lists.
  void UpdateActiveLists();
  // Takes an instance out of its list and hands it over (nothing else changes).
  std::unique_ptr<CInstance> Release(CInstance* instance);
  // The active instance with that id, or null.
  CInstance* FindActive(int32_t id) const;
  void DumpActiveList() const;

  // ---- tiles ----
  int32_t AddTile(const Tile& tile);
  int32_t GetTileCount() const { return static_cast<int32_t>(tiles_.size()); }
  Tile* GetTile(int32_t index);
  void SetTile(int32_t index, const Tile& tile);
  int32_t FindTileIndex(int32_t id);
  void DeleteTile(int32_t index);
  int32_t FindTileAt(float x, float y, bool foreground);
  void DeleteTileAt(float x, float y, bool foreground);
  void HideTileLayer(float depth);
  void ShowTileLayer(float depth);
  void DeleteTileLayer(float depth);
  void ShiftTileLayer(float depth, float dx, float dy);
  int32_t FindTileInLayer(float depth, float x, float y);
  void DeleteTileInLayerAt(float depth, float x, float y);
  void SetTileLayerDepth(float depth, float newDepth);
  void ClearTiles();
  void SortTiles();
  const std::vector<Tile>& Tiles() const { return tiles_; }

  // The world the room's physics settings ask for (none when they do not).
  void MakePhysicsWorld();

  // Background layers move by their speeds once per step.
  void ScrollBackgrounds();

  std::string creationCodeText;
  std::shared_ptr<CCode> creationCode;  // shared with the template it was built from
  bool physicsWorld = false;
  std::array<int32_t, 4> physicsBounds{};
  int32_t gravityX = 0, gravityY = 0;
  float pixelsToMetres = 0.1f;
  // The room's physics world (null without one); it goes before the room's instances.
  std::unique_ptr<CPhysicsWorld> physicsWorldObject;
  std::shared_ptr<RoomData> stored;  // shared with the template; null for none
  int32_t storedTileCount = 0;

 private:
  template <typename Keep>
  void RemoveTilesUnless(Keep keep);
  void DestroyList(InstanceList& list);
  // Takes ownership of the instance (and tells it its place in owned_).
  CInstance& Own(std::unique_ptr<CInstance> instance);
  // Gives up the instance, the last owned one taking its place; null when the room does not own it.
  std::unique_ptr<CInstance> Disown(CInstance& instance);

  std::string name_;
  int32_t tileCache_ = -1;
  uint64_t markCountSeen_ = UINT64_MAX;  // Instance_MarkCount when the active list was last swept
  std::vector<Tile> tiles_;
  std::vector<std::unique_ptr<CInstance>> owned_;
};

// ---- the room table and the room order ----
void Room_Clear();
// The ROOM chunk body. Throws GameDataError for damaged data.
void Room_Load(const GameDataReader& reader, ChunkSpan body, uint32_t dataVersion, bool storedCode);
void Room_SetOrder(std::vector<int32_t> order);
bool Room_Exists(int32_t index);
CRoom* Room_Data(int32_t index);
std::string Room_GetName(int32_t index);  // "<undefined>" when the room does not exist
int32_t Room_Find(std::string_view name);
int32_t Room_GetCount();
int32_t Room_OrderCount();
int32_t Room_First();  // -1 without an order
int32_t Room_Last();
int32_t Room_Previous(int32_t room);
int32_t Room_Next(int32_t room);
int32_t Room_AddNew();
int32_t Room_Duplicate(int32_t index);
bool Room_Assign(int32_t dst, int32_t src);
// Compiles room and instance creation code given as text. False after a failure (shown).
bool Room_Prepare();
void Room_FreeAll();

// The id counter of tiles (the last id handed out; seeded from the game header).
int32_t Tile_GetLastId();
void Tile_SetLastId(int32_t id);

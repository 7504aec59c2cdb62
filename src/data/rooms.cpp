#include "data/rooms.h"

#include <algorithm>

#include "data/background.h"
#include "data/objects.h"
#include "platform/console.h"
#include "platform/containers/name_index.h"
#include "platform/conversions.h"
#include "platform/stream.h"
#include "runner/instance.h"
#include "runner/physics_world.h"
#include "script/code.h"
#include "script/compiler/compile_error_sink.h"
#include "script/error_report.h"

namespace {

constexpr int32_t kTileCapacityStep = 10;
constexpr int32_t kDumpLimit = 1000;

struct RoomTable {
  std::vector<std::unique_ptr<CRoom>> rooms;
  std::vector<std::string> names;
  std::vector<int32_t> order;
  NameIndex byName;  // the table is replaced whole on load and clear; additions change its length
};

RoomTable& Table() {
  static RoomTable table;
  return table;
}

int32_t g_LastTileId = 10000000;

std::shared_ptr<CCode> StoredOrTextCode(const GameDataReader& reader, uint32_t word, bool storedCode) {
  if (storedCode) {
    if (static_cast<int32_t>(word) == -1) return nullptr;
    return std::shared_ptr<CCode>(CCode::Stored(static_cast<int32_t>(word), false));
  }
  const std::string_view text = reader.TextRef(word);
  if (text.empty()) return nullptr;
  return std::make_shared<CCode>(std::string(text), false);
}

// The entries of a counted list inside the chunk, each non-empty.
std::vector<uint32_t> Entries(const GameDataReader& reader, uint32_t offset, const char* what) {
  std::vector<uint32_t> entries = reader.CountedList(offset);
  for (uint32_t entry : entries) {
    if (entry == 0) throw GameDataError(std::string("a room's ") + what + " entry is missing");
  }
  return entries;
}

float Alpha(uint32_t colour) { return static_cast<float>((colour >> 24) / 255.0); }

// ---- the instance record of a saved game ----

void SaveInstance(CStream& s, const CInstance& i) {
  s.WriteInteger(i.id);
  s.WriteInteger(i.object_index);
  s.WriteReal(i.x);
  s.WriteReal(i.y);
  s.WriteReal(i.xstart);
  s.WriteReal(i.ystart);
  s.WriteReal(i.xprevious);
  s.WriteReal(i.yprevious);
  s.WriteReal(i.direction);
  s.WriteReal(i.speed);
  s.WriteReal(i.hspeed);
  s.WriteReal(i.vspeed);
  s.WriteReal(i.friction);
  s.WriteReal(i.gravity_direction);
  s.WriteReal(i.gravity);
  s.WriteBoolean(i.visible);
  s.WriteBoolean(i.solid);
  s.WriteBoolean(i.persistent);
  s.WriteReal(i.depth);
  s.WriteInteger(i.sprite_index);
  s.WriteReal(i.image_index);
  s.WriteReal(i.image_speed);
  s.WriteReal(i.image_xscale);
  s.WriteReal(i.image_yscale);
  s.WriteReal(i.image_angle);
  s.WriteReal(i.image_alpha);
  s.WriteInteger(static_cast<int32_t>(i.image_blend));
  s.WriteInteger(i.mask_index);
  for (int32_t a : i.alarm) s.WriteInteger(a);
  s.WriteInteger(i.path_index);
  s.WriteReal(i.path_position);
  s.WriteReal(i.path_speed);
  s.WriteReal(i.path_scale);
  s.WriteReal(i.path_orientation);
  s.WriteInteger(i.path_endaction);
  s.WriteReal(i.pathOffsetX);
  s.WriteReal(i.pathOffsetY);
  s.WriteInteger(i.timeline_index);
  s.WriteReal(i.timeline_position);
  s.WriteReal(i.timeline_speed);
  s.WriteBoolean(i.timeline_running);
  s.WriteBoolean(i.timeline_loop);
  i.variables->Save(s);
}

std::unique_ptr<CInstance> LoadInstance(CStream& s, bool join) {
  const int32_t id = s.ReadInteger();
  const int32_t object = s.ReadInteger();
  auto i = std::make_unique<CInstance>(0.0f, 0.0f, id, object, join);
  auto f = [&s] { return static_cast<float>(s.ReadReal()); };
  i->x = f();
  i->y = f();
  i->xstart = f();
  i->ystart = f();
  i->xprevious = f();
  i->yprevious = f();
  i->direction = f();
  i->speed = f();
  i->hspeed = f();
  i->vspeed = f();
  i->friction = f();
  i->gravity_direction = f();
  i->gravity = f();
  i->visible = s.ReadBoolean();
  i->solid = s.ReadBoolean();
  i->persistent = s.ReadBoolean();
  i->depth = f();
  i->sprite_index = s.ReadInteger();
  i->image_index = f();
  i->image_speed = f();
  i->image_xscale = f();
  i->image_yscale = f();
  i->image_angle = f();
  i->image_alpha = f();
  i->image_blend = static_cast<uint32_t>(s.ReadInteger());
  i->mask_index = s.ReadInteger();
  for (int32_t& a : i->alarm) a = s.ReadInteger();
  i->path_index = s.ReadInteger();
  i->path_position = f();
  i->path_speed = f();
  i->path_scale = f();
  i->path_orientation = f();
  i->path_endaction = s.ReadInteger();
  i->pathOffsetX = f();
  i->pathOffsetY = f();
  i->timeline_index = s.ReadInteger();
  i->timeline_position = f();
  i->timeline_speed = f();
  i->timeline_running = s.ReadBoolean();
  i->timeline_loop = s.ReadBoolean();
  i->MarkBoxDirty();
  if (!i->variables->Load(s)) return nullptr;
  return i;
}

}  // namespace

// ---- CRoom ----

CRoom::CRoom() = default;

CRoom::~CRoom() {
  // The world first: it detaches the bodies of the instances that follow it.
  physicsWorldObject.reset();
  // Deactivated first, then active; the destructors leave the id map and object lists.
  DestroyList(deactivated);
  DestroyList(active);
  owned_.clear();
}

void CRoom::DestroyList(InstanceList& list) {
  CInstance* at = list.first;
  while (at != nullptr) {
    CInstance* next = at->next;
    Instance_IdHash_Remove(*at);
    InstanceList_Unlink(list, *at);
    Disown(*at);
    at = next;
  }
  list = InstanceList{};
}

void CRoom::Clear() {
  tileCache_ = -1;
  caption.clear();
  speed = 30;
  width = 640;
  height = 480;
  persistent = false;
  colour = 0xC0C0C0;
  showColour = true;
  for (RoomBackground& b : backgrounds) b = RoomBackground{};
  enableViews = false;
  for (RoomView& v : views) {
    const int32_t surface = v.surface;
    v = RoomView{};
    v.surface = surface;
  }
  creationCodeText.clear();
  physicsWorld = false;
  physicsBounds = {};
  gravityX = gravityY = 0;
  pixelsToMetres = 0.1f;
  stored.reset();
  storedTileCount = 0;
  ClearInstances();
  ClearDeactivated();
  tiles_.clear();
}

void CRoom::LoadFromChunk(const GameDataReader& reader, uint32_t offset, uint64_t end,
                          uint32_t dataVersion, bool storedCode) {
  GameDataCursor in(reader, offset, end);
  const uint32_t nameRef = in.U32();
  const uint32_t captionRef = in.U32();
  Clear();
  auto data = std::make_shared<RoomData>();
  name_.assign(reader.TextRef(nameRef));
  caption.assign(reader.TextRef(captionRef));
  width = in.I32();
  height = in.I32();
  speed = in.I32();
  persistent = in.U32() != 0;
  colour = in.U32();
  showColour = in.U32() != 0;
  const uint32_t codeWord = in.U32();
  if (!storedCode) creationCodeText.assign(reader.TextRef(codeWord));
  creationCode = StoredOrTextCode(reader, codeWord, storedCode);
  enableViews = in.U32() != 0;
  const uint32_t backgroundList = in.U32();
  const uint32_t viewList = in.U32();
  const uint32_t instanceList = in.U32();
  const uint32_t tileList = in.U32();
  const uint32_t physics = in.U32();
  in.Skip(4 * 4);  // words 15-18
  const float gx = in.F32();
  const float gy = in.F32();
  const float scale = in.F32();
  if (dataVersion >= 6) {
    physicsWorld = physics != 0;
    gravityX = Conv_TruncToInt32(gx);
    gravityY = Conv_TruncToInt32(gy);
    pixelsToMetres = scale;
  }
  MakePhysicsWorld();

  const std::vector<uint32_t> bgs = Entries(reader, backgroundList, "background");
  if (bgs.size() > backgrounds.size()) throw GameDataError("a room has more than 8 backgrounds");
  for (size_t n = 0; n < bgs.size(); ++n) {
    GameDataCursor b(reader, bgs[n]);
    RoomBackground& bg = backgrounds[n];
    bg.visible = b.I32() != 0;
    bg.foreground = b.I32() != 0;
    bg.index = b.I32();
    bg.x = static_cast<float>(b.I32());
    bg.y = static_cast<float>(b.I32());
    bg.htiled = b.I32() != 0;
    bg.vtiled = b.I32() != 0;
    bg.hspeed = static_cast<float>(b.I32());
    bg.vspeed = static_cast<float>(b.I32());
    bg.blend = 0xFFFFFF;
    bg.alpha = 1.0f;
    const bool stretch = b.I32() != 0;
    if (stretch && Background_Exists(bg.index)) {
      const CBackground* image = Background_Data(bg.index);
      if (image->GetWidth() > 0) bg.xscale = static_cast<float>(width) / static_cast<float>(image->GetWidth());
      if (image->GetHeight() > 0) bg.yscale = static_cast<float>(height) / static_cast<float>(image->GetHeight());
    }
  }

  const std::vector<uint32_t> vws = Entries(reader, viewList, "view");
  if (vws.size() > views.size()) throw GameDataError("a room has more than 8 views");
  for (size_t n = 0; n < vws.size(); ++n) {
    GameDataCursor v(reader, vws[n]);
    RoomView& view = views[n];
    view.visible = v.I32() != 0;
    view.xview = v.I32();
    view.yview = v.I32();
    view.wview = v.I32();
    view.hview = v.I32();
    view.xport = v.I32();
    view.yport = v.I32();
    view.wport = v.I32();
    view.hport = v.I32();
    view.angle = 0.0f;
    view.hborder = v.I32();
    view.vborder = v.I32();
    view.hspeed = v.I32();
    view.vspeed = v.I32();
    view.object = v.I32();
  }

  const std::vector<uint32_t> instanceEntries = Entries(reader, instanceList, "instance");
  data->instances.reserve(instanceEntries.size());
  for (uint32_t entry : instanceEntries) {
    GameDataCursor r(reader, entry);
    RoomInstanceRecord record;
    record.x = r.I32();
    record.y = r.I32();
    record.object = r.I32();
    record.id = r.I32();
    record.code = StoredOrTextCode(reader, r.U32(), storedCode);
    record.xscale = r.F32();
    record.yscale = r.F32();
    record.colour = r.U32();
    record.rotation = r.F32();
    data->instances.push_back(std::move(record));
  }
  const std::vector<uint32_t> tileEntries = Entries(reader, tileList, "tile");
  data->tiles.reserve(tileEntries.size());
  for (uint32_t entry : tileEntries) {
    GameDataCursor r(reader, entry);
    RoomTileRecord t;
    t.x = r.I32();
    t.y = r.I32();
    t.background = r.I32();
    t.left = r.I32();
    t.top = r.I32();
    t.width = r.I32();
    t.height = r.I32();
    t.depth = r.I32();
    t.id = r.I32();
    t.xscale = r.F32();
    t.yscale = r.F32();
    t.colour = r.U32();
    data->tiles.push_back(t);
  }
  storedTileCount = static_cast<int32_t>(data->tiles.size());
  stored = std::move(data);
}

void CRoom::Assign(const CRoom* src, bool withInstances) {
  Clear();
  if (src == nullptr) return;
  caption = src->caption;
  width = src->width;
  height = src->height;
  speed = src->speed;
  persistent = src->persistent;
  colour = src->colour;
  showColour = src->showColour;
  creationCodeText = src->creationCodeText;
  creationCode = src->creationCode;
  physicsWorld = src->physicsWorld;
  physicsBounds = src->physicsBounds;
  gravityX = src->gravityX;
  gravityY = src->gravityY;
  pixelsToMetres = src->pixelsToMetres;
  backgrounds = src->backgrounds;
  enableViews = src->enableViews;
  for (size_t n = 0; n < views.size(); ++n) {
    const int32_t surface = views[n].surface;
    views[n] = src->views[n];
    views[n].surface = surface;
  }
  physicsWorldObject.reset();
  if (src->physicsWorldObject != nullptr) {
    physicsWorldObject = std::make_unique<CPhysicsWorld>(*src->physicsWorldObject);
  }
  stored = src->stored;
  storedTileCount = stored ? static_cast<int32_t>(stored->tiles.size()) : 0;

  if (withInstances && stored) {
    for (const RoomInstanceRecord& record : stored->instances) {
      auto instance = std::make_unique<CInstance>(static_cast<float>(record.x), static_cast<float>(record.y),
                                                  record.id, record.object, true);
      instance->creationCode = record.code;
      instance->SetImageXScale(record.xscale);
      instance->SetImageYScale(record.yscale);
      instance->image_blend = record.colour & 0xFFFFFF;
      instance->image_alpha = Alpha(record.colour);
      instance->SetImageAngle(record.rotation);
      Physics_CreateBodyForInstance(*this, *LinkInstance(std::move(instance)));
    }
    tiles_.reserve(stored->tiles.size());
    for (const RoomTileRecord& r : stored->tiles) {
      Tile t;
      t.x = static_cast<float>(r.x);
      t.y = static_cast<float>(r.y);
      t.depth = static_cast<float>(r.depth);
      t.background = r.background;
      t.left = r.left;
      t.top = r.top;
      t.width = r.width;
      t.height = r.height;
      t.id = r.id;
      t.xscale = r.xscale;
      t.yscale = r.yscale;
      t.blend = r.colour & 0xFFFFFF;
      t.alpha = Alpha(r.colour);
      t.visible = true;
      tiles_.push_back(t);
    }
  } else {
    // A template that never ran holds no live tiles: the copy takes what src holds.
    tiles_ = src->tiles_;
  }

  for (CInstance* at = src->active.first; at != nullptr; at = at->next) {
    auto copy = std::make_unique<CInstance>(at->x, at->y, at->id, at->object_index, true);
    copy->Assign(*at, true);
    LinkInstance(std::move(copy));
  }
  for (CInstance* at = src->deactivated.first; at != nullptr; at = at->next) {
    auto copy = std::make_unique<CInstance>(at->x, at->y, at->id, at->object_index, false);
    copy->Assign(*at, false);
    CInstance& raw = Own(std::move(copy));
    InstanceList_Append(deactivated, raw);
    Instance_IdHash_Add(raw);
  }
}

void CRoom::CreateEmptyData() {
  stored = std::make_shared<RoomData>();
  storedTileCount = 0;
}

int32_t CRoom::AddInstanceRecord(float x, float y, int32_t object) {
  if (!stored) CreateEmptyData();
  // The record is shared with running copies; a new one keeps theirs as it was.
  auto data = std::make_shared<RoomData>(*stored);
  RoomInstanceRecord record;
  Instance_SetLastId(Instance_GetLastId() + 1);
  record.id = Instance_GetLastId();
  record.object = object;
  record.x = Conv_TruncToInt32(x);
  record.y = Conv_TruncToInt32(y);
  data->instances.push_back(record);
  stored = std::move(data);
  return record.id;
}

int32_t CRoom::AddTileRecord(int32_t background, int32_t left, int32_t top, int32_t w, int32_t h, float x,
                             float y, int32_t depth, float xscale, float yscale, uint32_t tileColour) {
  if (!stored) CreateEmptyData();
  auto data = std::make_shared<RoomData>(*stored);
  RoomTileRecord t;
  t.id = ++g_LastTileId;
  t.background = background;
  t.left = left;
  t.top = top;
  t.width = w;
  t.height = h;
  t.x = Conv_TruncToInt32(x);
  t.y = Conv_TruncToInt32(y);
  t.depth = depth;
  t.xscale = xscale;
  t.yscale = yscale;
  t.colour = tileColour;
  data->tiles.push_back(t);
  storedTileCount = static_cast<int32_t>(data->tiles.size());
  stored = std::move(data);
  return t.id;
}

// ---- live instances ----

CInstance* CRoom::AddInstance(float x, float y, int32_t object) {
  Instance_SetLastId(Instance_GetLastId() + 1);
  CInstance* instance = LinkInstance(std::make_unique<CInstance>(x, y, Instance_GetLastId(), object, true));
  Physics_CreateBodyForInstance(*this, *instance);
  return instance;
}

void CRoom::MakePhysicsWorld() {
  physicsWorldObject.reset();
  if (!physicsWorld) return;
  physicsWorldObject = std::make_unique<CPhysicsWorld>(pixelsToMetres, speed);
  physicsWorldObject->SetGravity(static_cast<float>(gravityX), static_cast<float>(gravityY));
}

CInstance& CRoom::Own(std::unique_ptr<CInstance> instance) {
  instance->ownerSlot = static_cast<int32_t>(owned_.size());
  return *owned_.emplace_back(std::move(instance));
}

std::unique_ptr<CInstance> CRoom::Disown(CInstance& instance) {
  const auto slot = static_cast<size_t>(instance.ownerSlot);
  if (instance.ownerSlot < 0 || slot >= owned_.size() || owned_[slot].get() != &instance) return nullptr;
  std::unique_ptr<CInstance> kept = std::move(owned_[slot]);
  if (slot + 1 != owned_.size()) {
    owned_[slot] = std::move(owned_.back());
    owned_[slot]->ownerSlot = static_cast<int32_t>(slot);
  }
  owned_.pop_back();
  kept->ownerSlot = -1;
  return kept;
}

CInstance* CRoom::LinkInstance(std::unique_ptr<CInstance> instance) {
  if (instance->marked) ++Instance_MarkCount;
  CInstance& raw = Own(std::move(instance));
  InstanceList_InsertByDepth(active, raw);
  Instance_IdHash_Add(raw);
  return &raw;
}

std::unique_ptr<CInstance> CRoom::Release(CInstance* instance) {
  std::unique_ptr<CInstance> kept = Disown(*instance);
  if (kept) InstanceList_Unlink(instance->deactivated ? deactivated : active, *instance);
  return kept;
}

void CRoom::DeleteInstance(CInstance* instance) {
  Instance_IdHash_Remove(*instance);
  std::unique_ptr<CInstance> gone = Release(instance);
}

void CRoom::RemoveDestroyedInstances() {
  // No instance was marked since the last look, and none came in marked: nothing to remove.
  if (markCountSeen_ == Instance_MarkCount) return;
  // The instances are visited in the list's order array rather than along the links, which
  // reads only the first cache line of each (where the mark is) and can be asked for ahead.
  // The array is taken from the list while instances leave it; what stays in it is then the
  // list's order again, unless something else changed the list meanwhile.
  InstanceList_Order(active);
  std::vector<CInstance*> order;
  order.swap(active.order);
  active.orderChanges = UINT64_MAX;
  const uint64_t changes = active.changes;
  uint64_t removed = 0;
  size_t kept = 0;
  for (size_t k = 0; k < order.size(); ++k) {
    if (k + 8 < order.size()) __builtin_prefetch(order[k + 8]);
    CInstance* at = order[k];
    if (at->marked) {
      const uint64_t before = active.changes;
      DeleteInstance(at);
      if (active.changes != before) {
        ++removed;
        continue;
      }
    }
    order[kept++] = at;
  }
  order.resize(kept);
  if (active.orderChanges == UINT64_MAX && active.changes == changes + removed) {
    active.order.swap(order);
    active.orderChanges = active.changes;
  } else if (active.order.empty()) {
    active.order.swap(order);  // still a good guess for the next walk
  }
  markCountSeen_ = Instance_MarkCount;
}

void CRoom::ClearInstances() { DestroyList(active); }

void CRoom::ClearDeactivated() { DestroyList(deactivated); }

void CRoom::UpdateActiveLists() {
  for (CInstance* at = deactivated.first; at != nullptr;) {
    CInstance* next = at->next;
    if (!at->deactivated) {
      if (at->marked) ++Instance_MarkCount;
      InstanceList_Unlink(deactivated, *at);
      InstanceList_InsertByDepth(active, *at);
      if (at->object != nullptr) at->object->AddInstance(at);
    }
    at = next;
  }
  for (CInstance* at = active.first; at != nullptr;) {
    CInstance* next = at->next;
    if (at->deactivated) {
      InstanceList_Unlink(active, *at);
      InstanceList_Append(deactivated, *at);
      if (at->object != nullptr) at->object->RemoveInstance(at);
    }
    at = next;
  }
}

CInstance* CRoom::FindActive(int32_t id) const {
  for (CInstance* at = active.first; at != nullptr; at = at->next) {
    if (at->id == id) return at;
  }
  return nullptr;
}

void CRoom::DumpActiveList() const {
  g_DebugConsole->Output("Dump active list\n");
  int32_t lines = 0;
  for (CInstance* at = active.first; at != nullptr && lines < kDumpLimit; at = at->next, ++lines) {
    g_DebugConsole->Output("0x%p\t%f\t%s\n", static_cast<const void*>(at), static_cast<double>(at->depth),
                           Object_Name(at->object_index).c_str());
  }
}

// ---- tiles ----

int32_t CRoom::AddTile(const Tile& tile) {
  if (tiles_.size() == tiles_.capacity()) tiles_.reserve(tiles_.size() + kTileCapacityStep);
  tiles_.push_back(tile);
  tiles_.back().id = ++g_LastTileId;
  tileCache_ = static_cast<int32_t>(tiles_.size()) - 1;
  return tileCache_;
}

Tile* CRoom::GetTile(int32_t index) {
  if (index < 0 || index >= GetTileCount()) return nullptr;
  return &tiles_[static_cast<size_t>(index)];
}

void CRoom::SetTile(int32_t index, const Tile& tile) {
  if (Tile* t = GetTile(index)) *t = tile;
}

int32_t CRoom::FindTileIndex(int32_t id) {
  if (tileCache_ >= 0 && tileCache_ < GetTileCount() && tiles_[static_cast<size_t>(tileCache_)].id == id) {
    return tileCache_;
  }
  for (int32_t i = 0; i < GetTileCount(); ++i) {
    if (tiles_[static_cast<size_t>(i)].id == id) return tileCache_ = i;
  }
  return -1;
}

void CRoom::DeleteTile(int32_t index) {
  if (index < 0 || index >= GetTileCount()) return;
  tiles_.erase(tiles_.begin() + index);
}

namespace {
float Right(const Tile& t) { return t.x + static_cast<float>(t.width) * t.xscale; }
float Bottom(const Tile& t) { return t.y + static_cast<float>(t.height) * t.yscale; }
bool InsideOpen(const Tile& t, float x, float y) { return t.x <= x && x < Right(t) && t.y <= y && y < Bottom(t); }
}  // namespace

int32_t CRoom::FindTileAt(float x, float y, bool foreground) {
  for (int32_t i = 0; i < GetTileCount(); ++i) {
    const Tile& t = tiles_[static_cast<size_t>(i)];
    if (!InsideOpen(t, x, y)) continue;
    if (foreground ? t.depth < 0.0f : t.depth >= 0.0f) return tileCache_ = i;
  }
  return -1;
}

template <typename Keep>
void CRoom::RemoveTilesUnless(Keep keep) {
  std::erase_if(tiles_, [&keep](const Tile& t) { return !keep(t); });
}

void CRoom::DeleteTileAt(float x, float y, bool foreground) {
  RemoveTilesUnless([=](const Tile& t) {
    const bool inside = t.x <= x && x <= Right(t) && t.y <= y && y <= Bottom(t);
    const bool layer = foreground ? t.depth <= 0.0f : t.depth >= 0.0f;
    return !(inside && layer);
  });
}

void CRoom::HideTileLayer(float depth) {
  for (Tile& t : tiles_) if (t.depth == depth) t.visible = false;
}

void CRoom::ShowTileLayer(float depth) {
  for (Tile& t : tiles_) if (t.depth == depth) t.visible = true;
}

void CRoom::DeleteTileLayer(float depth) {
  RemoveTilesUnless([=](const Tile& t) { return t.depth != depth; });
}

void CRoom::ShiftTileLayer(float depth, float dx, float dy) {
  for (Tile& t : tiles_) {
    if (t.depth == depth) {
      t.x += dx;
      t.y += dy;
    }
  }
}

int32_t CRoom::FindTileInLayer(float depth, float x, float y) {
  for (int32_t i = 0; i < GetTileCount(); ++i) {
    const Tile& t = tiles_[static_cast<size_t>(i)];
    if (t.depth == depth && InsideOpen(t, x, y)) return tileCache_ = i;
  }
  return -1;
}

void CRoom::DeleteTileInLayerAt(float depth, float x, float y) {
  RemoveTilesUnless([=](const Tile& t) { return !(t.depth == depth && InsideOpen(t, x, y)); });
}

void CRoom::SetTileLayerDepth(float depth, float newDepth) {
  for (Tile& t : tiles_) if (t.depth == depth) t.depth = newDepth;
}

void CRoom::ClearTiles() {
  tiles_.clear();
  tiles_.shrink_to_fit();
}

void CRoom::SortTiles() {
  bool ordered = true;
  for (size_t i = 1; i < tiles_.size() && ordered; ++i) ordered = !(tiles_[i].depth > tiles_[i - 1].depth);
  if (ordered) return;
  for (size_t i = 1; i < tiles_.size(); ++i) {
    for (size_t j = i; j > 0 && tiles_[j].depth > tiles_[j - 1].depth; --j) std::swap(tiles_[j], tiles_[j - 1]);
  }
}

void CRoom::ScrollBackgrounds() {
  for (RoomBackground& b : backgrounds) {
    b.x += b.hspeed;
    b.y += b.vspeed;
  }
}

// ---- saved games ----

void CRoom::SaveToStream(CStream& s) const {
  s.WriteInteger(kRoomStreamTag);
  s.WriteString(caption);
  s.WriteInteger(width);
  s.WriteInteger(height);
  s.WriteInteger(speed);
  s.WriteBoolean(persistent);
  s.WriteInteger(static_cast<int32_t>(colour));
  s.WriteBoolean(showColour);
  s.WriteString(creationCodeText);
  s.WriteInteger(kRoomBackgroundCount);
  for (const RoomBackground& b : backgrounds) {
    s.WriteBoolean(b.visible);
    s.WriteBoolean(b.foreground);
    s.WriteInteger(b.index);
    s.WriteReal(b.x);
    s.WriteReal(b.y);
    s.WriteBoolean(b.htiled);
    s.WriteBoolean(b.vtiled);
    s.WriteReal(b.xscale);
    s.WriteReal(b.yscale);
    s.WriteReal(b.hspeed);
    s.WriteReal(b.vspeed);
    s.WriteInteger(static_cast<int32_t>(b.blend));
    s.WriteReal(b.alpha);
  }
  s.WriteBoolean(enableViews);
  s.WriteInteger(kRoomViewCount);
  for (const RoomView& v : views) {
    s.WriteBoolean(v.visible);
    for (int32_t value : {v.xview, v.yview, v.wview, v.hview, v.xport, v.yport, v.wport, v.hport}) {
      s.WriteInteger(value);
    }
    s.WriteReal(v.angle);
    for (int32_t value : {v.hborder, v.vborder, v.hspeed, v.vspeed, v.object}) s.WriteInteger(value);
  }
  // An instance destroyed earlier in the step is gone for the game, and so for its saved state.
  for (const InstanceList* list : {&active, &deactivated}) {
    int32_t kept = 0;
    for (const CInstance* at = list->first; at != nullptr; at = at->next) kept += at->marked ? 0 : 1;
    s.WriteInteger(kept);
    for (const CInstance* at = list->first; at != nullptr; at = at->next) {
      if (!at->marked) SaveInstance(s, *at);
    }
  }
  s.WriteInteger(GetTileCount());
  for (const Tile& t : tiles_) {
    s.WriteReal(t.x);
    s.WriteReal(t.y);
    s.WriteInteger(t.background);
    s.WriteInteger(t.left);
    s.WriteInteger(t.top);
    s.WriteInteger(t.width);
    s.WriteInteger(t.height);
    s.WriteReal(t.depth);
    s.WriteInteger(t.id);
    s.WriteReal(t.xscale);
    s.WriteReal(t.yscale);
    s.WriteInteger(static_cast<int32_t>(t.blend));
    s.WriteReal(t.alpha);
    s.WriteBoolean(t.visible);
  }
}

bool CRoom::LoadFromStream(CStream& s) {
  Clear();
  if (s.ReadInteger() != kRoomStreamTag) return false;
  auto f = [&s] { return static_cast<float>(s.ReadReal()); };
  // A count the stream cannot hold (each record takes at least four bytes) is damage.
  auto plausible = [&s](int32_t count) { return count >= 0 && count <= s.GetSize() - s.GetPosition(); };
  caption = s.ReadString().value_or(std::string());
  width = s.ReadInteger();
  height = s.ReadInteger();
  speed = s.ReadInteger();
  persistent = s.ReadBoolean();
  colour = static_cast<uint32_t>(s.ReadInteger());
  showColour = s.ReadBoolean();
  creationCodeText = s.ReadString().value_or(std::string());
  const int32_t bgCount = s.ReadInteger();
  if (bgCount < 0 || bgCount > kRoomBackgroundCount) return Clear(), false;
  for (int32_t n = 0; n < bgCount; ++n) {
    RoomBackground& b = backgrounds[static_cast<size_t>(n)];
    b.visible = s.ReadBoolean();
    b.foreground = s.ReadBoolean();
    b.index = s.ReadInteger();
    b.x = f();
    b.y = f();
    b.htiled = s.ReadBoolean();
    b.vtiled = s.ReadBoolean();
    b.xscale = f();
    b.yscale = f();
    b.hspeed = f();
    b.vspeed = f();
    b.blend = static_cast<uint32_t>(s.ReadInteger());
    b.alpha = f();
  }
  enableViews = s.ReadBoolean();
  const int32_t viewCount = s.ReadInteger();
  if (viewCount < 0 || viewCount > kRoomViewCount) return Clear(), false;
  for (int32_t n = 0; n < viewCount; ++n) {
    RoomView& v = views[static_cast<size_t>(n)];
    v.visible = s.ReadBoolean();
    for (int32_t* value : {&v.xview, &v.yview, &v.wview, &v.hview, &v.xport, &v.yport, &v.wport, &v.hport}) {
      *value = s.ReadInteger();
    }
    v.angle = f();
    for (int32_t* value : {&v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.object}) *value = s.ReadInteger();
  }
  for (int pass = 0; pass < 2; ++pass) {
    const int32_t count = s.ReadInteger();
    if (!plausible(count)) return Clear(), false;
    for (int32_t n = 0; n < count; ++n) {
      std::unique_ptr<CInstance> instance = LoadInstance(s, pass == 0);
      if (!instance || s.Overrun()) return Clear(), false;
      if (pass == 0) {
        LinkInstance(std::move(instance));
        continue;
      }
      instance->deactivated = true;
      CInstance& raw = Own(std::move(instance));
      InstanceList_Append(deactivated, raw);
      Instance_IdHash_Add(raw);
    }
  }
  const int32_t tileCount = s.ReadInteger();
  // A tile takes 80 bytes in the stream: no more tiles than the bytes left can hold.
  if (!plausible(tileCount) || tileCount > (s.GetSize() - s.GetPosition()) / 80) return Clear(), false;
  tiles_.resize(static_cast<size_t>(tileCount));
  for (Tile& t : tiles_) {
    t.x = f();
    t.y = f();
    t.background = s.ReadInteger();
    t.left = s.ReadInteger();
    t.top = s.ReadInteger();
    t.width = s.ReadInteger();
    t.height = s.ReadInteger();
    t.depth = f();
    t.id = s.ReadInteger();
    t.xscale = f();
    t.yscale = f();
    t.blend = static_cast<uint32_t>(s.ReadInteger());
    t.alpha = f();
    t.visible = s.ReadBoolean();
  }
  if (s.Overrun()) return Clear(), false;
  return true;
}

// ---- the table ----

void Room_Clear() { Table() = RoomTable{}; }

void Room_Load(const GameDataReader& reader, ChunkSpan body, uint32_t dataVersion, bool storedCode) {
  const std::vector<uint32_t> entries = reader.CountedList(body.offset);
  RoomTable table;
  table.order = std::move(Table().order);
  table.rooms.resize(entries.size());
  table.names.resize(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == 0) continue;
    auto room = std::make_unique<CRoom>();
    room->LoadFromChunk(reader, entries[i], body.End(), dataVersion, storedCode);
    table.names[i] = room->Name();
    table.rooms[i] = std::move(room);
  }
  Table() = std::move(table);
}

void Room_SetOrder(std::vector<int32_t> order) { Table().order = std::move(order); }

bool Room_Exists(int32_t index) { return Room_Data(index) != nullptr; }

CRoom* Room_Data(int32_t index) {
  const RoomTable& t = Table();
  if (index < 0 || static_cast<size_t>(index) >= t.rooms.size()) return nullptr;
  return t.rooms[static_cast<size_t>(index)].get();
}

std::string Room_GetName(int32_t index) {
  return Room_Exists(index) ? Table().names[static_cast<size_t>(index)] : std::string("<undefined>");
}

int32_t Room_Find(std::string_view name) {
  RoomTable& t = Table();
  return t.byName.Find(name, t.rooms.size(), [&t](size_t i) {
    return t.rooms[i] && i < t.names.size() ? &t.names[i] : nullptr;
  });
}

int32_t Room_GetCount() { return static_cast<int32_t>(Table().rooms.size()); }
int32_t Room_OrderCount() { return static_cast<int32_t>(Table().order.size()); }

int32_t Room_First() { return Table().order.empty() ? -1 : Table().order.front(); }
int32_t Room_Last() { return Table().order.empty() ? -1 : Table().order.back(); }

int32_t Room_Previous(int32_t room) {
  const std::vector<int32_t>& order = Table().order;
  if (order.size() < 2) return -1;
  for (size_t i = 1; i < order.size(); ++i) {
    if (order[i] == room) return order[i - 1];
  }
  return order[order.size() - 2];
}

int32_t Room_Next(int32_t room) {
  const std::vector<int32_t>& order = Table().order;
  if (order.size() < 2) return -1;
  for (size_t i = order.size() - 1; i-- > 0;) {
    if (order[i] == room) return order[i + 1];
  }
  return order[1];
}

int32_t Room_AddNew() {
  RoomTable& t = Table();
  const int32_t index = static_cast<int32_t>(t.names.size());
  t.names.push_back("__newroom" + std::to_string(index));
  auto room = std::make_unique<CRoom>();
  room->CreateEmptyData();
  t.rooms.resize(t.names.size());
  t.rooms[static_cast<size_t>(index)] = std::move(room);
  return index;
}

int32_t Room_Duplicate(int32_t index) {
  const CRoom* src = Room_Data(index);
  if (src == nullptr) return -1;
  RoomTable& t = Table();
  const int32_t added = static_cast<int32_t>(t.rooms.size());
  t.names.resize(t.rooms.size());
  t.names.push_back("__newroom" + std::to_string(added));
  auto room = std::make_unique<CRoom>();
  room->Assign(src, false);
  t.rooms.push_back(std::move(room));
  return added;
}

bool Room_Assign(int32_t dst, int32_t src) {
  if (!Room_Exists(dst) || !Room_Exists(src)) return false;
  auto room = std::make_unique<CRoom>();
  // A template holds records only: its instances come alive when the room is entered.
  room->Assign(Room_Data(src), false);
  // The template replaced goes with its record; running copies keep theirs.
  Table().rooms[static_cast<size_t>(dst)] = std::move(room);
  return true;
}

bool Room_Prepare() {
  bool ok = true;
  RoomTable& t = Table();
  for (size_t i = 0; i < t.rooms.size(); ++i) {
    CRoom* room = t.rooms[i].get();
    if (room == nullptr) continue;
    if (!room->creationCodeText.empty() && room->creationCode && !room->creationCode->IsCompiled()) {
      if (!room->creationCode->Compile(Code_NameRoom(t.names[i]))) {
        Error_Show("COMPILATION ERROR in room script\n" + Compiler_LastError().text, false);
        Compiler_ClearError();
        return false;
      }
    }
    if (!room->stored) continue;
    for (size_t n = 0; n < room->stored->instances.size(); ++n) {
      const std::shared_ptr<CCode>& code = room->stored->instances[n].code;
      if (!code || code->IsCompiled()) continue;
      if (!code->Compile(Code_NameInstance(t.names[i], static_cast<int32_t>(n)))) {
        Error_Show("COMPILATION ERROR in room script\n" + Compiler_LastError().text, false);
        Compiler_ClearError();
        // Every failure stops the game from starting, not only the last compilation's.
        ok = false;
        break;
      }
    }
  }
  return ok;
}

void Room_FreeAll() { Table() = RoomTable{}; }

int32_t Tile_GetLastId() { return g_LastTileId; }
void Tile_SetLastId(int32_t id) { g_LastTileId = id; }

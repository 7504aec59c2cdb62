// The sprite table: sprites of the game file (SPRT) and sprites added at run time, from files
// and from URLs.
#include <memory>
#include <string>
#include <vector>

#include "data/record_words.h"
#include "data/sprite.h"
#include "platform/console.h"
#include "platform/containers/name_index.h"
#include "platform/ds_map.h"
#include "platform/http.h"
#include "platform/files.h"
#include "platform/load_save.h"

namespace {

struct SpriteSlot {
  std::unique_ptr<CSprite> sprite;  // null: empty slot
  std::string name;
};

std::vector<SpriteSlot>& Table() {
  static std::vector<SpriteSlot> table;
  return table;
}

// Every change of a slot's name or presence invalidates it.
NameIndex& ByName() {
  static NameIndex index;
  return index;
}

int32_t AppendEmpty() {
  std::vector<SpriteSlot>& table = Table();
  int32_t index = static_cast<int32_t>(table.size());
  table.push_back({std::make_unique<CSprite>(), "__newsprite" + std::to_string(index)});
  return index;
}

// What a download carries to its completion.
struct SpriteDownload {
  int32_t index = 0;
  int32_t frames = 0;
  int32_t xOrigin = 0, yOrigin = 0;
  uint32_t flags = 0;  // bit 0 precise, bit 1 transparent, bit 2 smooth, bit 3 preload
};

int32_t Sprite_OnDownloaded(HTTP_REQ_CONTEXT& request, const SpriteDownload& download, int32_t& asyncMap) {
  bool loaded = false;
  if (!request.failed && request.BytesRead() >= 1) {
    CSprite* sprite = Sprite_Data(download.index);
    auto bytes = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(request.body.data()), request.body.size());
    // Bytes that do not decode (an error page, a damaged image) are a failed load, not a success.
    loaded = sprite && sprite->LoadFromMemory(bytes, download.frames, (download.flags & 1) != 0,
                                              (download.flags & 4) != 0, download.xOrigin, download.yOrigin, true);
  }
  asyncMap = DSMap_CreateFromPairs({{"filename", 0.0, request.url},
                                    {"id", static_cast<double>(download.index), std::nullopt},
                                    {"status", loaded ? 0.0 : -1.0, std::nullopt}});
  return kAsyncEventImageLoaded;
}

bool IsUrl(const std::string& name) { return name.rfind("http://", 0) == 0 || name.rfind("https://", 0) == 0; }

}  // namespace

std::string Resource_FindFile(const std::string& name) {
  for (const std::string& path : {LoadSave_BundlePath(name), LoadSave_SavePath(name)})
    if (!path.empty() && File_Exists(path)) return path;
  return {};
}

void Sprite_Clear() {
  Table().clear();
  ByName().Invalidate();
}

bool Sprite_Load(std::span<const uint8_t> image, uint32_t bodyOffset, uint32_t bodySize) {
  std::vector<uint32_t> records;
  if (!RecordList(image, bodyOffset, bodySize, records)) return false;
  const uint64_t end = uint64_t{bodyOffset} + bodySize;
  std::vector<SpriteSlot> table(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i] == 0) continue;
    auto sprite = std::make_unique<CSprite>();
    if (!sprite->LoadFromChunk(image, records[i], end, table[i].name)) return false;
    table[i].sprite = std::move(sprite);
  }
  Table() = std::move(table);
  ByName().Invalidate();
  return true;
}

bool Sprite_Exists(int32_t index) { return Sprite_Data(index) != nullptr; }

CSprite* Sprite_Data(int32_t index) {
  if (index < 0 || size_t(index) >= Table().size()) return nullptr;
  return Table()[size_t(index)].sprite.get();
}

std::string Sprite_GetName(int32_t index) {
  return Sprite_Exists(index) ? Table()[size_t(index)].name : std::string("<undefined>");
}

int32_t Sprite_Find(const std::string& name) {
  const std::vector<SpriteSlot>& table = Table();
  return ByName().Find(name, table.size(), [&table](size_t i) { return table[i].sprite ? &table[i].name : nullptr; });
}

int32_t Sprite_GetCount() { return static_cast<int32_t>(Table().size()); }

void Sprite_InitTextures() {
  g_DebugConsole->Output("Sprite_InitTextures()\n");
  for (SpriteSlot& slot : Table())
    if (slot.sprite) slot.sprite->InitTextures();
}

void Sprite_FreeAll() {
  for (SpriteSlot& slot : Table())
    if (slot.sprite) slot.sprite->FreeTextures();
  Table().clear();
  Table().shrink_to_fit();
  ByName().Invalidate();
}

int32_t Sprite_AddNew() { return AppendEmpty(); }

namespace {

int32_t AddFromFile(const std::string& name, int32_t frames, bool precise, bool transparent, bool smooth,
                    bool preload, int32_t xOrigin, int32_t yOrigin) {
  std::string path = Resource_FindFile(name);
  if (path.empty()) return -1;
  int32_t index = AppendEmpty();
  if (!Sprite_Data(index)->LoadFromFile(path, frames, precise, transparent, smooth, preload, xOrigin, yOrigin, true)) {
    Table().pop_back();
    return -1;
  }
  return index;
}

}  // namespace

int32_t Sprite_Add(const std::string& name, int32_t frames, bool precise, bool transparent, bool smooth,
                   bool preload, int32_t xOrigin, int32_t yOrigin) {
  if (!IsUrl(name)) return AddFromFile(name, frames, precise, transparent, smooth, preload, xOrigin, yOrigin);
  int32_t index = AppendEmpty();
  SpriteDownload download{index, frames, xOrigin, yOrigin,
                          uint32_t{precise} | uint32_t{transparent} << 1 | uint32_t{smooth} << 2 |
                              uint32_t{preload} << 3};
  HTTP_Get(name, [download](HTTP_REQ_CONTEXT& request, int32_t& asyncMap) {
    return Sprite_OnDownloaded(request, download, asyncMap);
  });
  return index;
}

int32_t Sprite_AddAlpha(const std::string& name, int32_t frames, bool precise, bool preload, int32_t xOrigin,
                        int32_t yOrigin) {
  return AddFromFile(name, frames, precise, true, false, preload, xOrigin, yOrigin);
}

namespace {

bool ReplaceFromFile(int32_t index, const std::string& name, int32_t frames, bool precise, bool transparent,
                     bool smooth, bool preload, int32_t xOrigin, int32_t yOrigin, bool keepAlpha) {
  if (index < 0 || size_t(index) >= Table().size()) return false;
  std::string path = Resource_FindFile(name);
  if (path.empty()) return false;
  SpriteSlot& slot = Table()[size_t(index)];
  if (!slot.sprite) slot.sprite = std::make_unique<CSprite>();
  ByName().Invalidate();
  return slot.sprite->LoadFromFile(path, frames, precise, transparent, smooth, preload, xOrigin, yOrigin, keepAlpha);
}

}  // namespace

bool Sprite_Replace(int32_t index, const std::string& name, int32_t frames, bool precise, bool transparent,
                    bool smooth, bool preload, int32_t xOrigin, int32_t yOrigin) {
  return ReplaceFromFile(index, name, frames, precise, transparent, smooth, preload, xOrigin, yOrigin, false);
}

bool Sprite_ReplaceAlpha(int32_t index, const std::string& name, int32_t frames, bool precise, bool preload,
                         int32_t xOrigin, int32_t yOrigin) {
  return ReplaceFromFile(index, name, frames, precise, true, false, preload, xOrigin, yOrigin, true);
}

bool Sprite_Delete(int32_t index) {
  if (!Sprite_Exists(index)) return false;
  SpriteSlot& slot = Table()[size_t(index)];
  slot.sprite.reset();
  slot.name.clear();
  ByName().Invalidate();
  return true;
}

int32_t Sprite_Duplicate(int32_t index) {
  if (!Sprite_Exists(index)) return -1;
  int32_t copy = AppendEmpty();
  Sprite_Data(copy)->Assign(*Sprite_Data(index));
  return copy;
}

bool Sprite_Assign(int32_t destination, int32_t source) {
  if (!Sprite_Exists(source) || destination < 0 || size_t(destination) >= Table().size()) return false;
  SpriteSlot& slot = Table()[size_t(destination)];
  if (!slot.sprite) slot.sprite = std::make_unique<CSprite>();
  ByName().Invalidate();
  slot.sprite->Assign(*Sprite_Data(source));
  return true;
}

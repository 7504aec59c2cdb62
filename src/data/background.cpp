#include "data/background.h"

#include <vector>

#include "data/record_words.h"
#include "data/resource_textures.h"
#include "data/sprite.h"
#include "platform/bitmap.h"
#include "platform/bitmap_loader.h"
#include "platform/console.h"
#include "platform/files.h"

CBackground::~CBackground() { FreeTexture(); }

bool CBackground::LoadFromChunk(std::span<const uint8_t> image, uint32_t recordOffset, uint64_t chunkEnd,
                                std::string& name) {
  Clear();
  RecordWords words(image, recordOffset, chunkEnd);
  uint32_t nameOffset = 0, transparent = 0, smooth = 0, preload = 0, entry = 0;
  if (!words.Next(nameOffset) || !words.Next(transparent) || !words.Next(smooth) || !words.Next(preload) ||
      !words.Next(entry))
    return false;
  if (!RecordText(image, nameOffset, name) || !TPageRecord_Read(image, entry, pageEntry_)) return false;
  transparent_ = transparent != 0;
  smooth_ = smooth != 0;
  preload_ = preload != 0;
  width_ = pageEntry_.fullWidth;
  height_ = pageEntry_.fullHeight;
  return true;
}

void CBackground::Clear() {
  image_.reset();
  transparent_ = smooth_ = preload_ = false;
  width_ = height_ = 0;
  pageEntry_ = {};
  FreeTexture();
}

void CBackground::FreeTexture() {
  ResourceTexture_Free(textureId_);
  textureId_ = -1;
}

void CBackground::CreateTexture() {
  FreeTexture();
  if (!image_) return;
  textureId_ = ResourceTexture_FromBitmap(*image_);
  if (preload_) ResourceTexture_Preload(textureId_);
}

void CBackground::TakeImage(CBitmap32 image, bool preload) {
  FreeTexture();
  pageEntry_ = {};
  width_ = image.GetWidth();
  height_ = image.GetHeight();
  image_ = std::make_unique<CBitmap32>(std::move(image));
  preload_ = preload;
  CreateTexture();
}

bool CBackground::LoadFromFile(const std::string& path, bool transparent, bool smooth, bool preload, bool keepAlpha) {
  if (!File_Exists(path)) return false;
  std::unique_ptr<IBitmapLoader> loader = BitmapLoader_FromFile(path);
  if (!loader) return false;
  std::unique_ptr<IBitmap> bitmap = loader->GetFrame(0);
  if (!bitmap) return false;
  CBitmap32 picture = keepAlpha ? CBitmap32::CreateFromBitmapOption(*bitmap, false, false, true)
                                : CBitmap32::CreateFromBitmapOption(*bitmap, transparent, smooth, false);
  if (!picture.IsValid()) return false;
  transparent_ = transparent;
  smooth_ = smooth;
  TakeImage(std::move(picture), preload);
  return true;
}

void CBackground::Assign(const CBackground& other) {
  if (&other == this) return;
  Clear();
  width_ = other.width_;
  height_ = other.height_;
  transparent_ = other.transparent_;
  smooth_ = other.smooth_;
  preload_ = other.preload_;
  pageEntry_ = other.pageEntry_;
  if (other.image_) image_ = std::make_unique<CBitmap32>(*other.image_);
  CreateTexture();
}

void CBackground::CreateFromBitmap(const IBitmap& bitmap, bool transparent, bool smooth, bool preload, bool keepAlpha) {
  Clear();
  transparent_ = transparent;
  smooth_ = smooth;
  CBitmap32 picture = keepAlpha ? CBitmap32::CreateFromBitmapAlpha(bitmap, false, false)
                                : CBitmap32::CreateFromBitmap(bitmap, transparent, smooth);
  if (picture.IsValid()) {
    TakeImage(std::move(picture), preload);
  } else {
    width_ = bitmap.GetWidth();
    height_ = bitmap.GetHeight();
    preload_ = preload;
  }
}

void CBackground::CreateColor(int32_t width, int32_t height, uint32_t colour, bool preload) {
  Clear();
  CBitmap32 picture(width, height, colour);
  if (picture.IsValid()) TakeImage(std::move(picture), preload);
}

void CBackground::CreateGradient(int32_t width, int32_t height, uint32_t colour1, uint32_t colour2, int32_t kind,
                                 bool preload) {
  Clear();
  CBitmap32 picture = CBitmap32::CreateGradient(width, height, colour1, colour2, kind);
  if (picture.IsValid()) TakeImage(std::move(picture), preload);
}

void CBackground::SetAlphaFromBackground(const CBackground& other) {
  if (!image_ || !other.image_) {
    g_DebugConsole->Output("Both bitmaps need to be duplicated first\n");
    return;
  }
  CBitmap32 source = *other.image_;  // a copy: a background may take alpha from itself
  image_->SetAlphaFromImage(source);
  CreateTexture();
}

std::unique_ptr<IBitmap> CBackground::CreateBitmap() const { return image_ ? image_->ToBitmap32() : nullptr; }

ResourceTexture CBackground::GetTexture() const {
  ResourceTexture result;
  if (pageEntry_.Exists())
    result.pageEntry = pageEntry_.offset;
  else
    result.textureId = textureId_;
  return result;
}

// ---- the background table --------------------------------------------------

namespace {

struct BackgroundSlot {
  std::unique_ptr<CBackground> background;  // null: empty slot
  std::string name;
};

std::vector<BackgroundSlot>& Table() {
  static std::vector<BackgroundSlot> table;
  return table;
}

int32_t AppendEmpty() {
  int32_t index = static_cast<int32_t>(Table().size());
  Table().push_back({std::make_unique<CBackground>(), "__newbackground" + std::to_string(index)});
  return index;
}

int32_t AddFromFile(const std::string& name, bool transparent, bool smooth, bool preload, bool keepAlpha) {
  std::string path = Resource_FindFile(name);
  if (path.empty()) return -1;
  int32_t index = AppendEmpty();
  if (!Table().back().background->LoadFromFile(path, transparent, smooth, preload, keepAlpha)) {
    Table().pop_back();
    return -1;
  }
  return index;
}

bool ReplaceFromFile(int32_t index, const std::string& name, bool transparent, bool smooth, bool preload,
                     bool keepAlpha) {
  if (index < 0 || size_t(index) >= Table().size()) return false;
  std::string path = Resource_FindFile(name);
  if (path.empty()) return false;
  BackgroundSlot& slot = Table()[size_t(index)];
  if (!slot.background) slot.background = std::make_unique<CBackground>();
  return slot.background->LoadFromFile(path, transparent, smooth, preload, keepAlpha);
}

}  // namespace

void Background_Clear() { Table().clear(); }

bool Background_Load(std::span<const uint8_t> image, uint32_t bodyOffset, uint32_t bodySize) {
  std::vector<uint32_t> records;
  if (!RecordList(image, bodyOffset, bodySize, records)) return false;
  const uint64_t end = uint64_t{bodyOffset} + bodySize;
  std::vector<BackgroundSlot> table(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i] == 0) continue;
    auto background = std::make_unique<CBackground>();
    if (!background->LoadFromChunk(image, records[i], end, table[i].name)) return false;
    table[i].background = std::move(background);
  }
  Table() = std::move(table);
  return true;
}

void Background_InitTextures() {
  for (BackgroundSlot& slot : Table())
    if (slot.background) slot.background->CreateTexture();
}

void Background_FreeTextures() {
  for (BackgroundSlot& slot : Table())
    if (slot.background) slot.background->FreeTexture();
}

bool Background_Exists(int32_t index) { return Background_Data(index) != nullptr; }

CBackground* Background_Data(int32_t index) {
  if (index < 0 || size_t(index) >= Table().size()) return nullptr;
  return Table()[size_t(index)].background.get();
}

std::string Background_Name(int32_t index) {
  return Background_Exists(index) ? Table()[size_t(index)].name : std::string("<undefined>");
}

int32_t Background_Find(const std::string& name) {
  for (size_t i = 0; i < Table().size(); ++i)
    if (Table()[i].background && Table()[i].name == name) return static_cast<int32_t>(i);
  return -1;
}

int32_t Background_GetCount() { return static_cast<int32_t>(Table().size()); }

int32_t Background_AddNew() { return AppendEmpty(); }

int32_t Background_Add(const std::string& name, bool transparent, bool smooth, bool preload) {
  return AddFromFile(name, transparent, smooth, preload, false);
}

int32_t Background_AddAlpha(const std::string& name, bool preload) {
  return AddFromFile(name, true, false, preload, true);
}

bool Background_Replace(int32_t index, const std::string& name, bool transparent, bool smooth, bool preload) {
  return ReplaceFromFile(index, name, transparent, smooth, preload, false);
}

bool Background_ReplaceAlpha(int32_t index, const std::string& name, bool preload) {
  return ReplaceFromFile(index, name, true, false, preload, true);
}

bool Background_Delete(int32_t index) {
  if (!Background_Exists(index)) return false;
  Table()[size_t(index)] = {};
  return true;
}

int32_t Background_Duplicate(int32_t index) {
  if (!Background_Exists(index)) return -1;
  int32_t copy = AppendEmpty();
  Table().back().background->Assign(*Background_Data(index));
  return copy;
}

bool Background_Assign(int32_t destination, int32_t source) {
  if (!Background_Exists(source) || destination < 0 || size_t(destination) >= Table().size()) return false;
  BackgroundSlot& slot = Table()[size_t(destination)];
  if (!slot.background) slot.background = std::make_unique<CBackground>();
  slot.background->Assign(*Background_Data(source));
  return true;
}

void Background_FreeAll() {
  Background_FreeTextures();
  Table().clear();
  Table().shrink_to_fit();
}

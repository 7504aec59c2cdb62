#include "data/sprite.h"

#include <algorithm>
#include <cmath>

#include "data/record_words.h"
#include "data/resource_textures.h"
#include "platform/bitmap.h"
#include "platform/bitmap_loader.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/conversions.h"


CSprite::CSprite() { Free(); }

CSprite::~CSprite() { FreeTextures(); }

void CSprite::Free() {
  FreeTextures();
  frames_.clear();
  textures_.clear();
  pageEntries_.clear();
  bboxMode_ = BBoxMode::Automatic;
  bbox_ = {};
  frameCount_ = 0;
  width_ = height_ = 1;
  xOrigin_ = yOrigin_ = 0;
  precise_ = true;
  transparent_ = true;
  smooth_ = false;
  preload_ = true;
  separateMasks_ = true;
  FreeMasks();
  ComputeRadius();
}

void CSprite::ComputeRadius() {
  // The farthest frame corner from the origin, squared distances in single precision.
  const float xo = static_cast<float>(xOrigin_), yo = static_cast<float>(yOrigin_);
  const float w = static_cast<float>(width_), h = static_cast<float>(height_);
  const float corners[4][2] = {{xo, yo}, {w - xo, yo}, {xo, h - yo}, {w - xo, h - yo}};
  int32_t radius = 0;
  for (const auto& c : corners) {
    float d = c[0] * c[0] + c[1] * c[1];
    radius = std::max(radius, Conv_TruncToInt32(std::ceil(std::sqrt(d))));
  }
  radius_ = radius;
}

bool CSprite::LoadFromChunk(std::span<const uint8_t> image, uint32_t recordOffset, uint64_t chunkEnd,
                            std::string& name) {
  Free();
  RecordWords words(image, recordOffset, chunkEnd);
  uint32_t nameOffset = 0, transparent = 0, smooth = 0, preload = 0, mode = 0, precise = 0, frameCount = 0;
  int32_t width = 0, height = 0;
  CollisionBox box;
  if (!words.Next(nameOffset) || !words.NextInt(width) || !words.NextInt(height) || !words.NextInt(box.left) ||
      !words.NextInt(box.right) || !words.NextInt(box.bottom) || !words.NextInt(box.top) ||
      !words.Next(transparent) || !words.Next(smooth) || !words.Next(preload) || !words.Next(mode) ||
      !words.Next(precise) || !words.NextInt(xOrigin_) || !words.NextInt(yOrigin_) || !words.Next(frameCount))
    return false;
  if (!RecordText(image, nameOffset, name)) return false;
  if (width < 0 || height < 0 || mode > 2) return false;
  if (uint64_t{frameCount} * 4 > words.Left()) return false;
  width_ = width;
  height_ = height;
  bbox_ = box;
  transparent_ = transparent != 0;
  smooth_ = smooth != 0;
  preload_ = preload != 0;
  bboxMode_ = static_cast<BBoxMode>(mode);
  precise_ = precise != 0;
  frameCount_ = static_cast<int32_t>(frameCount);
  pageEntries_.resize(frameCount);
  for (TPageRecord& entry : pageEntries_) {
    uint32_t offset = 0;
    if (!words.Next(offset) || !TPageRecord_Read(image, offset, entry)) return false;
  }
  ComputeRadius();

  uint32_t maskCount = 0;
  if (!words.Next(maskCount)) return false;
  if (maskCount < 1) return true;
  if (width < 1 || height < 1) return false;
  const uint64_t rowBytes = (uint64_t(width) + 7) / 8;
  const uint64_t packedSize = rowBytes * uint64_t(height);
  if (packedSize * maskCount > words.Left()) return false;
  separateMasks_ = maskCount != frameCount;
  // Kept as stored (an eighth of the size) until a collision asks for a frame's mask.
  masks_.resize(maskCount);
  const uint8_t* packed = image.data() + words.Position();
  packedMasks_.assign(packed, packed + packedSize * maskCount);
  words.Skip(packedSize * maskCount);
  masksValid_ = true;
  return true;
}

void CSprite::Assign(const CSprite& src) {
  if (&src == this) return;
  Free();
  width_ = src.width_;
  height_ = src.height_;
  bbox_ = src.bbox_;
  transparent_ = src.transparent_;
  smooth_ = src.smooth_;
  preload_ = src.preload_;
  bboxMode_ = src.bboxMode_;
  precise_ = src.precise_;
  xOrigin_ = src.xOrigin_;
  yOrigin_ = src.yOrigin_;
  frameCount_ = src.frameCount_;
  radius_ = src.radius_;
  pageEntries_ = src.pageEntries_;
  frames_ = src.frames_;
  InitTextures();
  if (src.HasPageEntries()) {
    // Game-file sprites have no frame images to build masks from: the copy takes the stored ones.
    masks_ = src.masks_;
    packedMasks_ = src.packedMasks_;
    masksValid_ = src.masksValid_;
    separateMasks_ = src.separateMasks_;
  } else {
    CreateMasks();
  }
}

void CSprite::SetFramesFromStrip(IBitmapLoader& loader, bool transparent, bool smooth, int32_t frames,
                                 bool keepAlpha) {
  std::unique_ptr<IBitmap> bitmap = loader.GetFrame(0);
  if (!bitmap) return;
  const int32_t count = frames < 1 ? 1 : frames;
  const int32_t width = bitmap->GetWidth() / count;
  g_DebugConsole->Output("TBitmap has %d\n", bitmap->GetHeight());
  if (width < 1) return;
  CBitmap32 strip = keepAlpha ? CBitmap32::CreateFromBitmapOption(*bitmap, false, false, true)
                              : CBitmap32::CreateFromBitmapOption(*bitmap, transparent, smooth, false);
  if (!strip.IsValid()) return;
  std::vector<CBitmap32> images;
  for (int32_t i = 0; i < count; ++i) {
    images.push_back(CBitmap32::CreateFromRegion(strip, i * width, 0, width, strip.GetHeight()));
    if (!images.back().IsValid()) return;
  }
  frames_ = std::move(images);
  frameCount_ = count;
  width_ = width;
  height_ = strip.GetHeight();
}

void CSprite::SetFramesFromLoader(IBitmapLoader& loader, bool transparent, bool smooth, bool keepAlpha) {
  std::vector<CBitmap32> images;
  for (int32_t i = 0; i < loader.GetFrameCount(); ++i) {
    std::unique_ptr<IBitmap> bitmap = loader.GetFrame(i);
    if (!bitmap) return;
    images.push_back(CBitmap32::CreateFromBitmapOption(*bitmap, transparent, smooth, keepAlpha));
    if (!images.back().IsValid() || images.back().GetWidth() != images.front().GetWidth() ||
        images.back().GetHeight() != images.front().GetHeight())
      return;
  }
  if (images.empty()) return;
  width_ = images.front().GetWidth();
  height_ = images.front().GetHeight();
  frameCount_ = static_cast<int32_t>(images.size());
  frames_ = std::move(images);
}

bool CSprite::LoadFromFile(const std::string& path, int32_t frames, bool precise, bool transparent, bool smooth,
                           bool preload, int32_t xOrigin, int32_t yOrigin, bool keepAlpha) {
  Free();
  if (!File_Exists(path)) return false;
  std::unique_ptr<IBitmapLoader> loader = BitmapLoader_FromFile(path);
  return loader && LoadFromLoader(*loader, frames, precise, transparent, smooth, preload, xOrigin, yOrigin, keepAlpha);
}

bool CSprite::LoadFromMemory(std::span<const uint8_t> data, int32_t frames, bool precise, bool smooth,
                             int32_t xOrigin, int32_t yOrigin, bool keepAlpha) {
  Free();
  std::unique_ptr<IBitmapLoader> loader = BitmapLoader_FromMemory(data);
  return loader && LoadFromLoader(*loader, frames, precise, false, smooth, true, xOrigin, yOrigin, keepAlpha);
}

bool CSprite::LoadFromLoader(IBitmapLoader& loader, int32_t frames, bool precise, bool transparent, bool smooth,
                             bool preload, int32_t xOrigin, int32_t yOrigin, bool keepAlpha) {
  if (loader.IsMultiFrame())
    SetFramesFromLoader(loader, transparent, smooth, keepAlpha);
  else
    SetFramesFromStrip(loader, transparent, smooth, frames, keepAlpha);
  if (frames_.empty()) {
    Free();
    return false;
  }
  transparent_ = transparent;
  smooth_ = smooth;
  preload_ = preload;
  precise_ = precise;
  bboxMode_ = BBoxMode::Automatic;
  xOrigin_ = xOrigin;
  yOrigin_ = yOrigin;
  Rebuild();
  return true;
}

void CSprite::Rebuild() {
  InitTextures();
  ComputeBoundingBox();
  CreateMasks();
}

void CSprite::CreateFromBitmap(const IBitmap& bitmap, bool precise, bool transparent, bool smooth, bool preload,
                               int32_t xOrigin, int32_t yOrigin, bool keepAlpha) {
  Free();
  CBitmap32 image = CBitmap32::CreateFromBitmapOption(bitmap, transparent, smooth, keepAlpha);
  if (image.IsValid()) {
    width_ = image.GetWidth();
    height_ = image.GetHeight();
    frames_.push_back(std::move(image));
    frameCount_ = 1;
  }
  precise_ = precise;
  transparent_ = transparent;
  smooth_ = smooth;
  preload_ = preload;
  xOrigin_ = xOrigin;
  yOrigin_ = yOrigin;
  bboxMode_ = BBoxMode::Automatic;
  g_DebugConsole->Output("Init Texture\n");
  InitTextures();
  g_DebugConsole->Output("Compute Bounding Box\n");
  ComputeBoundingBox();
  g_DebugConsole->Output("Create Mask\n");
  CreateMasks();
}

std::optional<std::vector<CBitmap32>> CSprite::CopyFrameImages() const {
  if (!HasPageEntries()) return frames_;
  std::vector<CBitmap32> images;
  images.reserve(pageEntries_.size());
  for (const TPageRecord& entry : pageEntries_) {
    images.push_back(ResourceTexture_ReadFrame(entry, width_, height_));
    if (!images.back().IsValid()) return std::nullopt;
  }
  return images;
}

bool CSprite::TakeFramesFromPages() {
  if (!HasPageEntries()) return true;
  std::optional<std::vector<CBitmap32>> images = CopyFrameImages();
  if (!images) return false;
  frames_ = std::move(*images);
  pageEntries_.clear();
  frameCount_ = static_cast<int32_t>(frames_.size());
  return true;
}

bool CSprite::AddFrameFromBitmap(const IBitmap& bitmap, bool keepAlpha) {
  CBitmap32 image = CBitmap32::CreateFromBitmapOption(bitmap, transparent_, smooth_, keepAlpha);
  if (!image.IsValid()) return true;
  if (!TakeFramesFromPages()) return false;
  if (frames_.empty()) {
    width_ = image.GetWidth();
    height_ = image.GetHeight();
  } else {
    image.Stretch(width_, height_);
  }
  frames_.push_back(std::move(image));
  frameCount_ = static_cast<int32_t>(frames_.size());
  Rebuild();
  return true;
}

bool CSprite::Merge(const CSprite& other) {
  // The other's frames are copied first: a sprite merged with itself doubles its frames.
  std::optional<std::vector<CBitmap32>> added = other.CopyFrameImages();
  if (!added) return false;
  if (added->empty()) return true;
  const int32_t otherWidth = other.width_, otherHeight = other.height_;
  if (!TakeFramesFromPages()) return false;
  if (frames_.empty()) {
    width_ = otherWidth;
    height_ = otherHeight;
  }
  for (CBitmap32& frame : *added) {
    frame.Stretch(width_, height_);
    frames_.push_back(std::move(frame));
  }
  frameCount_ = static_cast<int32_t>(frames_.size());
  Rebuild();
  return true;
}

void CSprite::SetAlphaFromSprite(const CSprite& other) {
  if (other.frames_.empty() || HasPageEntries() || other.HasPageEntries()) return;
  std::vector<CBitmap32> sources;  // copies, so that a sprite may take alpha from itself
  for (size_t i = 0; i < frames_.size(); ++i) sources.push_back(other.frames_[i % other.frames_.size()]);
  for (size_t i = 0; i < frames_.size(); ++i) frames_[i].SetAlphaFromImage(sources[i]);
  InitTextures();
}

void CSprite::SetBboxMode(int32_t mode) {
  if (mode < 0 || mode > 2 || mode == static_cast<int32_t>(bboxMode_)) return;
  bboxMode_ = static_cast<BBoxMode>(mode);
  ComputeBoundingBox();
}

void CSprite::SetBbox(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (bboxMode_ == BBoxMode::Manual) bbox_ = {left, top, right, bottom};
}

void CSprite::SetPrecise(bool precise) {
  if (precise == precise_) return;
  precise_ = precise;
  // A game-file sprite cannot rebuild its stored masks from frame images: it keeps them.
  if (!HasPageEntries()) CreateMasks();
}

void CSprite::FreeMasks() {
  masks_.clear();
  packedMasks_.clear();
  masksValid_ = false;
}

void CSprite::CreateMasks() {
  FreeMasks();
  if (!precise_ || !transparent_ || frames_.empty() || HasPageEntries()) return;
  for (const CBitmap32& frame : frames_) {
    std::vector<uint8_t> mask(size_t(width_) * size_t(height_), 0);
    for (int32_t y = 0; y < height_; ++y)
      for (int32_t x = 0; x < width_; ++x)
        mask[size_t(y) * size_t(width_) + size_t(x)] = frame.Pixel(x, y) >= 0x01000000u ? 1 : 0;
    masks_.push_back(std::move(mask));
  }
  masksValid_ = true;
}

void CSprite::ComputeBoundingBox() {
  ComputeRadius();
  if (bboxMode_ == BBoxMode::Manual) return;
  if (bboxMode_ == BBoxMode::FullImage || !transparent_) {
    bbox_ = {0, 0, width_ - 1, height_ - 1};
    return;
  }
  // A game-file sprite has no frame images to measure: it keeps its stored box.
  if (HasPageEntries()) return;
  bbox_ = {width_ - 1, height_ - 1, 0, 0};
  for (const CBitmap32& frame : frames_) {
    BitmapBounds b = frame.GetOpaqueBounds();
    bbox_.left = std::min(bbox_.left, b.left);
    bbox_.top = std::min(bbox_.top, b.top);
    bbox_.right = std::max(bbox_.right, b.right);
    bbox_.bottom = std::max(bbox_.bottom, b.bottom);
  }
}

void CSprite::FreeTextures() {
  for (int32_t& id : textures_) {
    ResourceTexture_Free(id);
    id = -1;
  }
}

void CSprite::InitTextures() {
  FreeTextures();
  textures_.clear();
  if (HasPageEntries()) return;
  for (const CBitmap32& frame : frames_) {
    int32_t id = ResourceTexture_FromBitmap(frame);
    if (preload_) ResourceTexture_Preload(id);
    textures_.push_back(id);
  }
}

ResourceTexture CSprite::GetTexture(int32_t frame) const {
  if (frameCount_ <= 0) return {};
  int32_t i = frame % frameCount_;
  if (i < 0) i += frameCount_;
  ResourceTexture result;
  if (HasPageEntries()) {
    if (size_t(i) < pageEntries_.size()) result.pageEntry = pageEntries_[size_t(i)].offset;
  } else if (size_t(i) < textures_.size()) {
    result.textureId = textures_[size_t(i)];
  }
  return result;
}

std::unique_ptr<IBitmap> CSprite::CreateFrameBitmap(int32_t frame) const {
  if (frame < 0 || size_t(frame) >= frames_.size()) return nullptr;
  return frames_[size_t(frame)].ToBitmap32();
}

CollisionBox CSprite::GetFrameBounds(int32_t frame) const {
  if (frame < 0 || frame >= frameCount_) return {};
  if (HasPageEntries()) {
    const TPageRecord& e = pageEntries_[size_t(frame)];
    return {e.xOffset, e.yOffset, e.xOffset + e.width, e.yOffset + e.height};
  }
  if (size_t(frame) >= frames_.size()) return {};
  BitmapBounds b = frames_[size_t(frame)].GetOpaqueBounds();
  return {b.left, b.top, b.right, b.bottom};
}

std::span<const uint8_t> CSprite::MaskForFrame(int32_t frame) const {
  if (!masksValid_ || masks_.empty()) return {};
  const int32_t count = static_cast<int32_t>(masks_.size());
  int32_t i = frame % count;
  if (i < 0) i += count;
  std::vector<uint8_t>& mask = masks_[size_t(i)];
  if (mask.empty() && !packedMasks_.empty()) {
    const size_t rowBytes = (size_t(width_) + 7) / 8;
    if (packedMasks_.size() < (size_t(i) + 1) * rowBytes * size_t(height_)) return {};
    const uint8_t* packed = packedMasks_.data() + size_t(i) * rowBytes * size_t(height_);
    mask.assign(size_t(width_) * size_t(height_), 0);
    for (int32_t y = 0; y < height_; ++y) {
      const uint8_t* row = packed + size_t(y) * rowBytes;
      for (int32_t x = 0; x < width_; ++x)
        mask[size_t(y) * size_t(width_) + size_t(x)] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
  }
  return mask;
}

bool Sprite_OutsideView(float x, float y, float reachX, float reachY, const ViewRect& view) {
  return view.top - y > reachY || y - view.bottom > reachY || view.left - x > reachX || x - view.right > reachX;
}

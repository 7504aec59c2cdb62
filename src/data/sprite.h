// Sprites: equally sized frames with an origin, a bounding box, collision masks, and either
// texture-page entries (sprites of the game file) or frame images with textures of their own
// (sprites made at run time), never both in use.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/tpage_record.h"
#include "platform/bitmap32.h"

class IBitmap;
class IBitmapLoader;

enum class BBoxMode : int32_t { Automatic = 0, FullImage = 1, Manual = 2 };

// An inclusive box in pixels.
struct CollisionBox {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Where an instance holds its sprite for a precise test: the frame (image_index truncated), the
// instance's bounding box, its position rounded to the nearest integer (ties to even), and its
// scales and angle in degrees as single-precision values.
struct SpritePlacement {
  int32_t frame = 0;
  CollisionBox box;
  int32_t x = 0, y = 0;
  float xscale = 1.0f, yscale = 1.0f, angle = 0.0f;
};

class CSprite {
 public:
  CSprite();
  ~CSprite();
  CSprite(const CSprite&) = delete;
  CSprite& operator=(const CSprite&) = delete;

  // Frees frames, textures and masks and resets every field.
  void Free();

  // Reads the SPRT record at recordOffset from the file image. Every word and mask must lie
  // before chunkEnd, every texture-page entry and the name inside the image; false (damaged
  // data) otherwise. The name is stored in name.
  bool LoadFromChunk(std::span<const uint8_t> image, uint32_t recordOffset, uint64_t chunkEnd, std::string& name);

  // Becomes a copy of src: size, box, flags, origin, frames (copied images or the same
  // texture-page entries), with textures and masks of its own.
  void Assign(const CSprite& src);

  // Decodes an image file: an image with frames of its own gives one frame per image frame,
  // a single image is cut into `frames` frames side by side. False when the file is missing or
  // cannot be decoded (the sprite is then left empty).
  bool LoadFromFile(const std::string& path, int32_t frames, bool precise, bool transparent, bool smooth,
                    bool preload, int32_t xOrigin, int32_t yOrigin, bool keepAlpha);
  // The same from an encoded image held in memory, with transparent 0 and preload 1.
  bool LoadFromMemory(std::span<const uint8_t> data, int32_t frames, bool precise, bool smooth, int32_t xOrigin,
                      int32_t yOrigin, bool keepAlpha);
  // One frame copied from a platform bitmap.
  void CreateFromBitmap(const IBitmap& bitmap, bool precise, bool transparent, bool smooth, bool preload,
                        int32_t xOrigin, int32_t yOrigin, bool keepAlpha);
  // Appends a frame (the first sets the size, later ones are resized to it). A sprite of the
  // game file first takes its frames back from the texture pages as images of its own; false
  // (nothing changes) when they cannot be read.
  bool AddFrameFromBitmap(const IBitmap& bitmap, bool keepAlpha);
  // Appends copies of other's frames resized to this sprite's size (other may be this sprite);
  // frames of the game file are read back from the texture pages as above. False (nothing
  // changes) when they cannot be read.
  bool Merge(const CSprite& other);
  // Frame i takes its alpha from other's frame i mod other's count; both run-time sprites.
  void SetAlphaFromSprite(const CSprite& other);

  void SetBboxMode(int32_t mode);
  void SetBbox(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void SetPrecise(bool precise);

  void CreateMasks();
  void FreeMasks();
  void ComputeBoundingBox();
  void InitTextures();
  void FreeTextures();

  // What frame i (taken modulo the count) is drawn from; texture -1 and no entry without frames.
  ResourceTexture GetTexture(int32_t frame) const;
  // A new 32-bit platform bitmap of the frame; null out of range or without frame images.
  std::unique_ptr<IBitmap> CreateFrameBitmap(int32_t frame) const;
  // The frame's content box: from its texture-page entry, else the opaque pixels of its image;
  // all zero out of range.
  CollisionBox GetFrameBounds(int32_t frame) const;

  // ---- drawing (graphics/resource_drawing.cpp); frames wrap modulo the count, angles in degrees ----
  void DrawSimple(int32_t frame, float x, float y) const;
  void Draw(int32_t frame, float x, float y, float xscale, float yscale, float angle, uint32_t blend,
            float alpha) const;
  void DrawPos(int32_t frame, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
               float alpha) const;
  void DrawStretched(int32_t frame, float x, float y, float width, float height, uint32_t blend, float alpha) const;
  void DrawPart(int32_t frame, float left, float top, float width, float height, float x, float y, float xscale,
                float yscale, uint32_t blend, float alpha) const;
  void DrawGeneral(int32_t frame, float left, float top, float width, float height, float x, float y, float xscale,
                   float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha) const;
  // Tiled over the region (left, top, width, height) from (x, y) less the origin.
  void DrawTiled(int32_t frame, float x, float y, float xscale, float yscale, bool htiled, bool vtiled,
                 float regionX, float regionY, float regionWidth, float regionHeight, uint32_t blend,
                 float alpha) const;

  // ---- precise collision tests (the callers have already found the boxes overlapping) ----
  bool Collision_Point(const SpritePlacement& self, int32_t px, int32_t py) const;
  bool Collision_Rectangle(const SpritePlacement& self, const CollisionBox& rect) const;
  bool Collision_Ellipse(const SpritePlacement& self, const CollisionBox& rect) const;
  bool Collision_Line(const SpritePlacement& self, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  bool Collision_Sprite(const SpritePlacement& self, const CSprite& other, const SpritePlacement& placed) const;

  // ---- fields ----
  BBoxMode GetBboxMode() const { return bboxMode_; }
  CollisionBox GetBbox() const { return bbox_; }
  int32_t GetFrameCount() const { return frameCount_; }
  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  int32_t GetXOrigin() const { return xOrigin_; }
  int32_t GetYOrigin() const { return yOrigin_; }
  void SetOrigin(int32_t x, int32_t y) { xOrigin_ = x, yOrigin_ = y; }
  int32_t GetRadius() const { return radius_; }
  bool GetPrecise() const { return precise_; }
  bool GetTransparent() const { return transparent_; }
  bool GetSmooth() const { return smooth_; }
  bool GetPreload() const { return preload_; }
  bool MasksValid() const { return masksValid_; }
  bool SeparateMasks() const { return separateMasks_; }
  int32_t GetMaskCount() const { return static_cast<int32_t>(masks_.size()); }
  // Mask bytes of frame i (one per pixel, 1 solid); empty without valid masks.
  std::span<const uint8_t> MaskForFrame(int32_t frame) const;
  bool HasPageEntries() const { return !pageEntries_.empty(); }
  const std::vector<TPageRecord>& PageEntries() const { return pageEntries_; }
  const std::vector<CBitmap32>& FrameImages() const { return frames_; }
  const std::vector<int32_t>& TextureIds() const { return textures_; }

 private:
  void ComputeRadius();
  bool LoadFromLoader(IBitmapLoader& loader, int32_t frames, bool precise, bool transparent, bool smooth,
                      bool preload, int32_t xOrigin, int32_t yOrigin, bool keepAlpha);
  void SetFramesFromStrip(IBitmapLoader& loader, bool transparent, bool smooth, int32_t frames, bool keepAlpha);
  void SetFramesFromLoader(IBitmapLoader& loader, bool transparent, bool smooth, bool keepAlpha);
  // Textures, box and masks after the frames changed.
  void Rebuild();
  // Copies of the frames as images: a run-time sprite's own, a game-file sprite's read back
  // from its texture-page entries; absent when one cannot be read.
  std::optional<std::vector<CBitmap32>> CopyFrameImages() const;
  // A game-file sprite becomes a run-time sprite holding its frames as images (its stored
  // masks give way to masks made from them). False, and nothing changes, when they cannot be
  // read; true at once for a run-time sprite.
  bool TakeFramesFromPages();

  BBoxMode bboxMode_ = BBoxMode::Automatic;
  CollisionBox bbox_;
  int32_t frameCount_ = 0;
  int32_t width_ = 1, height_ = 1;
  int32_t xOrigin_ = 0, yOrigin_ = 0;
  int32_t radius_ = 0;
  bool precise_ = true;
  bool masksValid_ = false;
  bool transparent_ = true;
  bool smooth_ = false;
  bool preload_ = true;
  bool separateMasks_ = true;
  // One byte a pixel; a game-file sprite's are unpacked from packedMasks_ on first use.
  mutable std::vector<std::vector<uint8_t>> masks_;
  std::vector<uint8_t> packedMasks_;  // a game-file sprite's masks as stored: rows of bits
  std::vector<CBitmap32> frames_;
  std::vector<int32_t> textures_;
  std::vector<TPageRecord> pageEntries_;
};

// ---- culling against the view being drawn ----------------------------------

// The rectangle being drawn (a view or the whole room), left, top, right, bottom.
struct ViewRect {
  float left = 0, top = 0, right = 0, bottom = 0;
};

// True when a sprite drawn at (x, y) lies wholly outside the rectangle: farther than reachX
// beyond its left or right side, or reachY beyond its top or bottom (single precision). The
// drawing entry points pass the radius for an unscaled draw, max(|radius * xscale|,
// |radius * yscale|) on both axes for a scaled one, and |radius * xscale|, |radius * yscale|
// for the general one; nothing is culled while a surface is the target (nor in 3D mode for the
// scaled draw).
bool Sprite_OutsideView(float x, float y, float reachX, float reachY, const ViewRect& view);

// ---- the sprite table -------------------------------------------------------

void Sprite_Clear();
// The SPRT chunk body (a counted list of record offsets; 0 an empty slot) at bodyOffset in the
// file image. False for damaged data; the table is then left as it was.
bool Sprite_Load(std::span<const uint8_t> image, uint32_t bodyOffset, uint32_t bodySize);
bool Sprite_Exists(int32_t index);
CSprite* Sprite_Data(int32_t index);
// "<undefined>" when the sprite does not exist.
std::string Sprite_GetName(int32_t index);
int32_t Sprite_Find(const std::string& name);
int32_t Sprite_GetCount();
void Sprite_InitTextures();
void Sprite_FreeAll();

int32_t Sprite_AddNew();
// sprite_add: a name beginning "http://" or "https://" is downloaded (the index is answered at
// once; the image-loaded event follows); otherwise the file is taken from the game folder, else
// the save area. -1 when the file is in neither or cannot be decoded.
int32_t Sprite_Add(const std::string& name, int32_t frames, bool precise, bool transparent, bool smooth,
                   bool preload, int32_t xOrigin, int32_t yOrigin);
bool Sprite_Replace(int32_t index, const std::string& name, int32_t frames, bool precise, bool transparent,
                    bool smooth, bool preload, int32_t xOrigin, int32_t yOrigin);
int32_t Sprite_AddAlpha(const std::string& name, int32_t frames, bool precise, bool preload, int32_t xOrigin,
                        int32_t yOrigin);
bool Sprite_ReplaceAlpha(int32_t index, const std::string& name, int32_t frames, bool precise, bool preload,
                         int32_t xOrigin, int32_t yOrigin);
bool Sprite_Delete(int32_t index);
int32_t Sprite_Duplicate(int32_t index);
bool Sprite_Assign(int32_t destination, int32_t source);

// The file a resource name from game code stands for: the name in the game folder, else in the
// save area (resolved as every file name from game code is); empty when it is in neither.
std::string Resource_FindFile(const std::string& name);

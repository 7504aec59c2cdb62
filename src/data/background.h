// Backgrounds: images drawn behind or in front of rooms, as tiles or by game code. Those of
// the game file draw from a texture-page entry; those made at run time own an image and a
// texture.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "data/tpage_record.h"
#include "platform/bitmap32.h"

class IBitmap;

class CBackground {
 public:
  CBackground() = default;
  ~CBackground();
  CBackground(const CBackground&) = delete;
  CBackground& operator=(const CBackground&) = delete;

  // Reads the BGND record at recordOffset: every word must lie before chunkEnd and the name
  // and texture-page entry inside the image. Width and height are the entry's full size.
  bool LoadFromChunk(std::span<const uint8_t> image, uint32_t recordOffset, uint64_t chunkEnd, std::string& name);
  void Clear();
  void CreateTexture();
  void FreeTexture();
  // Decodes the image file (its first frame): width and height from the image, the colour key
  // and smoothing applied unless the image's own alpha is kept. False when the file is missing
  // or cannot be decoded (the background is then left as it was).
  bool LoadFromFile(const std::string& path, bool transparent, bool smooth, bool preload, bool keepAlpha);
  void Assign(const CBackground& other);
  void CreateFromBitmap(const IBitmap& bitmap, bool transparent, bool smooth, bool preload, bool keepAlpha);
  void CreateColor(int32_t width, int32_t height, uint32_t colour, bool preload);
  void CreateGradient(int32_t width, int32_t height, uint32_t colour1, uint32_t colour2, int32_t kind, bool preload);
  // Both need an image of their own; otherwise "Both bitmaps need to be duplicated first\n".
  void SetAlphaFromBackground(const CBackground& other);
  // A new platform bitmap with a copy of the image; null without one.
  std::unique_ptr<IBitmap> CreateBitmap() const;
  ResourceTexture GetTexture() const;

  // Drawing (graphics/resource_drawing.cpp); angles in degrees.
  void Draw(float x, float y) const;
  void DrawExt(float x, float y, float xscale, float yscale, float angle, uint32_t blend, float alpha) const;
  void DrawStretched(float x, float y, float width, float height, uint32_t blend, float alpha) const;
  void DrawPart(float left, float top, float width, float height, float x, float y, float xscale, float yscale,
                uint32_t blend, float alpha) const;
  void DrawGeneral(float left, float top, float width, float height, float x, float y, float xscale, float yscale,
                   float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha) const;
  void DrawTiled(float x, float y, float xscale, float yscale, bool htiled, bool vtiled, float regionX,
                 float regionY, float regionWidth, float regionHeight, uint32_t blend, float alpha) const;

  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  bool GetTransparent() const { return transparent_; }
  bool GetSmooth() const { return smooth_; }
  bool GetPreload() const { return preload_; }
  const CBitmap32* Image() const { return image_.get(); }
  const TPageRecord& PageEntry() const { return pageEntry_; }
  int32_t TextureId() const { return textureId_; }

 private:
  // The image replaced: size from it, old texture released, new one made.
  void TakeImage(CBitmap32 image, bool preload);

  int32_t width_ = 0, height_ = 0;
  bool transparent_ = false, smooth_ = false, preload_ = false;
  int32_t textureId_ = -1;
  std::unique_ptr<CBitmap32> image_;
  TPageRecord pageEntry_;
};

void Background_Clear();
// The BGND chunk body (a counted list; 0 an empty slot). False for damaged data; the table is
// then left as it was.
bool Background_Load(std::span<const uint8_t> image, uint32_t bodyOffset, uint32_t bodySize);
void Background_InitTextures();
void Background_FreeTextures();
bool Background_Exists(int32_t index);
// "<undefined>" when the background does not exist.
std::string Background_Name(int32_t index);
int32_t Background_Find(const std::string& name);
CBackground* Background_Data(int32_t index);
int32_t Background_GetCount();
int32_t Background_AddNew();
// background_add: the file from the game folder, else the save area; -1 when it is in neither or
// cannot be decoded.
int32_t Background_Add(const std::string& name, bool transparent, bool smooth, bool preload);
int32_t Background_AddAlpha(const std::string& name, bool preload);
bool Background_Replace(int32_t index, const std::string& name, bool transparent, bool smooth, bool preload);
bool Background_ReplaceAlpha(int32_t index, const std::string& name, bool preload);
bool Background_Delete(int32_t index);
int32_t Background_Duplicate(int32_t index);
bool Background_Assign(int32_t destination, int32_t source);
void Background_FreeAll();

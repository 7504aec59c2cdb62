// sprite_* and background_*: the sprite and background resource built-ins.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/background.h"
#include "data/sprite.h"
#include "functions/argument_helpers.h"
#include "functions/resource_functions.h"
#include "graphics/device.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware_texture.h"
#include "graphics/surfaces.h"
#include "platform/bitmap.h"
#include "platform/bitmap32.h"
#include "platform/console.h"
#include "platform/load_save.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

using Args = ScriptValue*;

void Report(const char* message) { Error_Show_Action(message, false); }

// A sprite of the game file gains frames only once its own are read back from the pages.
constexpr const char* kUnreadableFrames = "The frames of a sprite of the game file cannot be read from its texture pages.";

// ---- grabs ----

// A platform bitmap of grabbed 0xAARRGGBB pixels; null when nothing was grabbed.
std::unique_ptr<IBitmap> BitmapOfPixels(const std::vector<uint32_t>& pixels, int32_t width, int32_t height) {
  if (width < 1 || height < 1 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return nullptr;
  }
  CBitmap32 image(width, height);
  if (!image.IsValid()) return nullptr;
  std::copy_n(pixels.begin(), image.GetData().size(), image.GetData().begin());
  return image.ToBitmap32();
}

// Inside a frame the picture drawn so far is in the screen texture, else on the back buffer.
// The screen has no transparency: every grabbed pixel is opaque.
std::unique_ptr<IBitmap> GrabScreen(int32_t x, int32_t y, int32_t width, int32_t height) {
  GrabbedBitmap grabbed;
  if (Graphics_InFrame()) {
    const GraphicsSizes& sizes = Graphics_Sizes();
    x = std::max(x, 0);
    y = std::max(y, 0);
    grabbed.width = std::min(width, sizes.screenWidth - x);
    grabbed.height = std::min(height, sizes.screenHeight - y);
    if (grabbed.width < 1 || grabbed.height < 1) return nullptr;
    grabbed.pixels = Graphics_GrabSurfaceRect(Graphics_ScreenTexture(), x, y, grabbed.width, grabbed.height);
  } else if (!GR_Screen_Grab_Bitmap(x, y, width, height, grabbed)) {
    return nullptr;
  }
  for (uint32_t& pixel : grabbed.pixels) pixel |= 0xFF000000u;
  return BitmapOfPixels(grabbed.pixels, grabbed.width, grabbed.height);
}

// The surface grab is cut to the surface: the bitmap has the size that was actually read.
std::unique_ptr<IBitmap> GrabSurface(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  int32_t grabbedWidth = 0, grabbedHeight = 0;
  std::vector<uint32_t> pixels = GR_Surface_Grab(id, x, y, width, height, grabbedWidth, grabbedHeight);
  return BitmapOfPixels(pixels, grabbedWidth, grabbedHeight);
}

// ---- sprite inspection ----

void F_SpriteExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Sprite_Exists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_SpriteName(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetString(Sprite_GetName(Arg_Rounded(a[0])));
}

enum class SpriteField {
  Number, Width, Height, Transparent, Smooth, Preload, Precise, XOffset, YOffset, BboxMode,
  BboxLeft, BboxRight, BboxTop, BboxBottom
};
template <SpriteField F>
void F_SpriteGet(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const CSprite* s = Sprite_Data(Arg_Rounded(a[0]));
  if (s == nullptr) {
    r.SetReal(-1);
    return;
  }
  switch (F) {
    case SpriteField::Number: r.SetReal(s->GetFrameCount()); break;
    case SpriteField::Width: r.SetReal(s->GetWidth()); break;
    case SpriteField::Height: r.SetReal(s->GetHeight()); break;
    case SpriteField::Transparent: r.SetReal(s->GetTransparent() ? 1 : 0); break;
    case SpriteField::Smooth: r.SetReal(s->GetSmooth() ? 1 : 0); break;
    case SpriteField::Preload: r.SetReal(s->GetPreload() ? 1 : 0); break;
    case SpriteField::Precise: r.SetReal(s->GetPrecise() ? 1 : 0); break;
    case SpriteField::XOffset: r.SetReal(s->GetXOrigin()); break;
    case SpriteField::YOffset: r.SetReal(s->GetYOrigin()); break;
    case SpriteField::BboxMode: r.SetReal(static_cast<int32_t>(s->GetBboxMode())); break;
    case SpriteField::BboxLeft: r.SetReal(s->GetBbox().left); break;
    case SpriteField::BboxRight: r.SetReal(s->GetBbox().right); break;
    case SpriteField::BboxTop: r.SetReal(s->GetBbox().top); break;
    case SpriteField::BboxBottom: r.SetReal(s->GetBbox().bottom); break;
  }
}

// ---- background inspection ----

void F_BackgroundExists(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Background_Exists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_BackgroundName(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetString(Background_Name(Arg_Rounded(a[0])));
}

enum class BackgroundField { Width, Height, Transparent, Smooth, Preload };
template <BackgroundField F>
void F_BackgroundGet(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const CBackground* b = Background_Data(Arg_Rounded(a[0]));
  if (b == nullptr) {
    r.SetReal(-1);
    return;
  }
  switch (F) {
    case BackgroundField::Width: r.SetReal(b->GetWidth()); break;
    case BackgroundField::Height: r.SetReal(b->GetHeight()); break;
    case BackgroundField::Transparent: r.SetReal(b->GetTransparent() ? 1 : 0); break;
    case BackgroundField::Smooth: r.SetReal(b->GetSmooth() ? 1 : 0); break;
    case BackgroundField::Preload: r.SetReal(b->GetPreload() ? 1 : 0); break;
  }
}

// ---- changing a sprite ----

void F_SpriteSetOffset(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CSprite* s = Sprite_Data(Arg_Rounded(a[0]))) s->SetOrigin(Arg_Rounded(a[1]), Arg_Rounded(a[2]));
}
void F_SpriteSetBboxMode(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CSprite* s = Sprite_Data(Arg_Rounded(a[0]))) s->SetBboxMode(Arg_Rounded(a[1]));
}
void F_SpriteSetBbox(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CSprite* s = Sprite_Data(Arg_Rounded(a[0]));
  if (s != nullptr && s->GetBboxMode() == BBoxMode::Manual) {
    s->SetBbox(Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3]), Arg_Rounded(a[4]));
  }
}
void F_SpriteSetPrecise(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (CSprite* s = Sprite_Data(Arg_Rounded(a[0]))) s->SetPrecise(Arg_Flag(a[1]));
}
void F_SpriteSetAlphaFromSprite(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CSprite* s = Sprite_Data(Arg_Rounded(a[0]));
  const CSprite* from = Sprite_Data(Arg_Rounded(a[1]));
  if (s != nullptr && from != nullptr) s->SetAlphaFromSprite(*from);
}
void F_SpriteCollisionMask(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CSprite* s = Sprite_Data(Arg_Rounded(a[0]));
  if (s == nullptr) {
    Report("Trying to set collision mask of non-existing sprite.");
    return;
  }
  s->SetPrecise(true);
  s->CreateMasks();
}
void F_BackgroundSetAlphaFromBackground(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CBackground* b = Background_Data(Arg_Rounded(a[0]));
  const CBackground* from = Background_Data(Arg_Rounded(a[1]));
  if (b != nullptr && from != nullptr) b->SetAlphaFromBackground(*from);
}

// ---- sprites from files ----

std::string NameArg(const ScriptValue& value) { return std::string(Arg_String(value)); }

// 6 arguments: fname, imgnumb, removeback (>=), smooth (>), xorig, yorig.
// 8 arguments: fname, imgnumb, precise (>=), transparent (>=), smooth (>), preload (>), xorig, yorig.
void F_SpriteAdd(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  r.SetReal(-1);
  if (argc >= 8) {
    r.SetReal(Sprite_Add(NameArg(a[0]), Arg_Rounded(a[1]), Arg_Flag(a[2]), Arg_Flag(a[3]), Arg_FlagAbove(a[4]),
                         Arg_FlagAbove(a[5]), Arg_Rounded(a[6]), Arg_Rounded(a[7])));
  } else if (argc >= 6) {
    r.SetReal(Sprite_Add(NameArg(a[0]), Arg_Rounded(a[1]), false, Arg_Flag(a[2]), Arg_FlagAbove(a[3]), false,
                         Arg_Rounded(a[4]), Arg_Rounded(a[5])));
  }
}

// 7 arguments: ind, fname, imgnumb, removeback (>), smooth (>), xorig, yorig.
// 9 arguments: ind, fname, imgnumb, precise (>=), transparent (>=), smooth (>), preload (>), xorig, yorig.
void F_SpriteReplace(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Sprite_Exists(index)) {
    Report("Trying to replace non-existing sprite.");
    return;
  }
  bool done = false;
  if (argc >= 9) {
    done = Sprite_Replace(index, NameArg(a[1]), Arg_Rounded(a[2]), Arg_Flag(a[3]), Arg_Flag(a[4]),
                          Arg_FlagAbove(a[5]), Arg_FlagAbove(a[6]), Arg_Rounded(a[7]), Arg_Rounded(a[8]));
  } else if (argc >= 7) {
    done = Sprite_Replace(index, NameArg(a[1]), Arg_Rounded(a[2]), true, Arg_FlagAbove(a[3]), Arg_FlagAbove(a[4]),
                          true, Arg_Rounded(a[5]), Arg_Rounded(a[6]));
  }
  r.SetReal(done ? 1 : 0);
}

void F_SpriteAddAlpha(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Sprite_AddAlpha(NameArg(a[0]), Arg_Rounded(a[1]), Arg_Flag(a[2]), Arg_FlagAbove(a[3]),
                            Arg_Rounded(a[4]), Arg_Rounded(a[5])));
}
void F_SpriteReplaceAlpha(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Sprite_Exists(index)) {
    Report("Trying to replace non-existing sprite.");
    return;
  }
  r.SetReal(Sprite_ReplaceAlpha(index, NameArg(a[1]), Arg_Rounded(a[2]), Arg_Flag(a[3]), Arg_FlagAbove(a[4]),
                                Arg_Rounded(a[5]), Arg_Rounded(a[6]))
                ? 1
                : 0);
}

// ---- sprites from the screen and surfaces ----

struct SpriteMaking {
  bool precise, transparent, smooth, preload;
  int32_t xOrigin, yOrigin;
};

// A new sprite (its index the result) that takes the grabbed bitmap as its one frame; with no
// bitmap it stays empty.
void NewSpriteFrom(ScriptValue& r, const std::unique_ptr<IBitmap>& bitmap, const SpriteMaking& m, bool fromSurface) {
  const int32_t index = Sprite_AddNew();
  r.SetReal(index);
  if (bitmap == nullptr) return;
  Sprite_Data(index)->CreateFromBitmap(*bitmap, m.precise, m.transparent, m.smooth, m.preload, m.xOrigin, m.yOrigin,
                                       fromSurface);
}

// 8 arguments: x, y, w, h, removeback (>), smooth (>), xorig, yorig.
// 10 arguments: x, y, w, h, precise (>), transparent (>), smooth (>), preload (>), xorig, yorig.
void F_SpriteCreateFromScreen(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  const SpriteMaking m = argc >= 10
      ? SpriteMaking{Arg_FlagAbove(a[4]), Arg_FlagAbove(a[5]), Arg_FlagAbove(a[6]), Arg_FlagAbove(a[7]),
                     Arg_Rounded(a[8]), Arg_Rounded(a[9])}
      : SpriteMaking{true, Arg_FlagAbove(a[4]), Arg_FlagAbove(a[5]), true, Arg_Rounded(a[6]), Arg_Rounded(a[7])};
  NewSpriteFrom(r, GrabScreen(Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3])),
                m, false);
}

// 9 arguments: id, x, y, w, h, removeback (>), smooth (>), xorig, yorig.
// 11 arguments: id, x, y, w, h, precise (>), transparent (>), smooth (>), preload (>), xorig, yorig.
void F_SpriteCreateFromSurface(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  const SpriteMaking m = argc >= 11
      ? SpriteMaking{Arg_FlagAbove(a[5]), Arg_FlagAbove(a[6]), Arg_FlagAbove(a[7]), Arg_FlagAbove(a[8]),
                     Arg_Rounded(a[9]), Arg_Rounded(a[10])}
      : SpriteMaking{true, Arg_FlagAbove(a[5]), Arg_FlagAbove(a[6]), false, Arg_Rounded(a[7]), Arg_Rounded(a[8])};
  NewSpriteFrom(r,
                GrabSurface(Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3]),
                            Arg_Rounded(a[4])),
                m, true);
}

void F_SpriteAddFromScreen(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CSprite* s = Sprite_Data(Arg_Rounded(a[0]));
  if (s == nullptr) {
    Report("Trying to add to non-existing sprite.");
    return;
  }
  if (auto bitmap = GrabScreen(Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3]), Arg_Rounded(a[4]))) {
    if (!s->AddFrameFromBitmap(*bitmap, false)) Report(kUnreadableFrames);
  }
}
void F_SpriteAddFromSurface(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CSprite* s = Sprite_Data(Arg_Rounded(a[0]));
  if (s == nullptr) {
    Report("Trying to add to non-existing sprite.");
    return;
  }
  if (auto bitmap = GrabSurface(Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3]), Arg_Rounded(a[4]),
                                Arg_Rounded(a[5]))) {
    if (!s->AddFrameFromBitmap(*bitmap, true)) Report(kUnreadableFrames);
  }
}

// ---- copying, merging and deleting sprites ----

void F_SpriteDuplicate(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Sprite_Exists(index)) {
    Report("Trying to duplicate non-existing sprite.");
    return;
  }
  r.SetReal(Sprite_Duplicate(index));
}
void F_SpriteAssign(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (!Sprite_Assign(Arg_Rounded(a[0]), Arg_Rounded(a[1]))) Report("Error assigning a sprite.");
}
void F_SpriteMerge(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  CSprite* to = Sprite_Data(Arg_Rounded(a[0]));
  if (to == nullptr) {
    Report("Trying to merge to non-existing sprite.");
    return;
  }
  const CSprite* from = Sprite_Data(Arg_Rounded(a[1]));
  if (from == nullptr) {
    Report("Trying to merge from non-existing sprite.");
    return;
  }
  if (!to->Merge(*from)) Report(kUnreadableFrames);
}
void F_SpriteDelete(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Sprite_Exists(index)) {
    Report("Trying to delete non-existing sprite.");
    return;
  }
  r.SetReal(Sprite_Delete(index) ? 1 : 0);
}

// ---- backgrounds from files, colours, the screen and surfaces ----

// 3 arguments: fname, removeback (>=), smooth (>=). 4: fname, transparent (>=), smooth (>=), preload (>).
void F_BackgroundAdd(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  const bool preload = argc >= 4 ? Arg_FlagAbove(a[3]) : true;
  r.SetReal(Background_Add(NameArg(a[0]), Arg_Flag(a[1]), Arg_Flag(a[2]), preload));
}
// 4 arguments: ind, fname, removeback (>=), smooth (>=). 5: ind, fname, transparent, smooth, preload (>).
void F_BackgroundReplace(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Background_Exists(index)) {
    Report("Trying to replace non-existing background.");
    return;
  }
  const bool preload = argc >= 5 ? Arg_FlagAbove(a[4]) : true;
  r.SetReal(Background_Replace(index, NameArg(a[1]), Arg_Flag(a[2]), Arg_Flag(a[3]), preload) ? 1 : 0);
}
void F_BackgroundAddAlpha(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  r.SetReal(Background_AddAlpha(NameArg(a[0]), Arg_Flag(a[1])));
}
void F_BackgroundReplaceAlpha(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Background_Exists(index)) {
    Report("Trying to replace non-existing background.");
    return;
  }
  r.SetReal(Background_ReplaceAlpha(index, NameArg(a[1]), Arg_Flag(a[2])) ? 1 : 0);
}

void F_BackgroundCreateColor(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  const int32_t index = Background_AddNew();
  r.SetReal(index);
  const bool preload = argc >= 4 ? Arg_FlagAbove(a[3]) : true;
  Background_Data(index)->CreateColor(Arg_Rounded(a[0]), Arg_Rounded(a[1]), static_cast<uint32_t>(Arg_Rounded(a[2])),
                                      preload);
}
void F_BackgroundCreateGradient(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  const int32_t index = Background_AddNew();
  r.SetReal(index);
  const bool preload = argc >= 6 ? Arg_FlagAbove(a[5]) : true;
  Background_Data(index)->CreateGradient(Arg_Rounded(a[0]), Arg_Rounded(a[1]),
                                         static_cast<uint32_t>(Arg_Rounded(a[2])),
                                         static_cast<uint32_t>(Arg_Rounded(a[3])), Arg_Rounded(a[4]), preload);
}

void NewBackgroundFrom(ScriptValue& r, const std::unique_ptr<IBitmap>& bitmap, bool transparent, bool smooth,
                       bool preload, bool fromSurface) {
  const int32_t index = Background_AddNew();
  r.SetReal(index);
  if (bitmap != nullptr) Background_Data(index)->CreateFromBitmap(*bitmap, transparent, smooth, preload, fromSurface);
}
// 6 arguments: x, y, w, h, removeback (>), smooth (>). 7: x, y, w, h, transparent, smooth, preload (all >).
void F_BackgroundCreateFromScreen(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  const bool preload = argc >= 7 && Arg_FlagAbove(a[6]);
  NewBackgroundFrom(r, GrabScreen(Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3])),
                    Arg_FlagAbove(a[4]), Arg_FlagAbove(a[5]), preload, false);
}
// 7 arguments: id, x, y, w, h, removeback (>), smooth (>). 8: ..., transparent, smooth, preload (all >).
void F_BackgroundCreateFromSurface(ScriptValue& r, CInstance*, CInstance*, int argc, Args a) {
  const bool preload = argc >= 8 && Arg_FlagAbove(a[7]);
  NewBackgroundFrom(r,
                    GrabSurface(Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3]),
                                Arg_Rounded(a[4])),
                    Arg_FlagAbove(a[5]), Arg_FlagAbove(a[6]), preload, true);
}

void F_BackgroundDuplicate(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Background_Exists(index)) {
    Report("Trying to duplicate non-existing background.");
    return;
  }
  r.SetReal(Background_Duplicate(index));
}
void F_BackgroundAssign(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  if (!Background_Assign(Arg_Rounded(a[0]), Arg_Rounded(a[1]))) Report("Error assigning a background.");
}
void F_BackgroundDelete(ScriptValue& r, CInstance*, CInstance*, int, Args a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Background_Exists(index)) {
    Report("Trying to delete non-existing background.");
    return;
  }
  r.SetReal(Background_Delete(index) ? 1 : 0);
}

// ---- saving ----

// The sprite to save, after the two reports; null when there is nothing to save.
const CSprite* SpriteToSave(const ScriptValue& index, const ScriptValue& name) {
  const CSprite* s = Sprite_Data(Arg_Rounded(index));
  if (s == nullptr) {
    Report("Trying to save non-existing sprite bitmap.");
    return nullptr;
  }
  if (!Arg_HasText(name)) {
    Report("Trying to save sprite bitmap to empty image file name.");
    return nullptr;
  }
  return s;
}

void F_SpriteSave(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const CSprite* s = SpriteToSave(a[0], a[2]);
  if (s == nullptr) return;
  const int32_t frame = Arg_Rounded(a[1]);
  const std::vector<CBitmap32>& frames = s->FrameImages();
  if (frame < 0 || static_cast<size_t>(frame) >= frames.size() || !frames[static_cast<size_t>(frame)].IsValid()) {
    g_DebugConsole->Output("sprite_save() failed - no bitmap data available\n");
    return;
  }
  frames[static_cast<size_t>(frame)].write_png_file(LoadSave_SavePath(Arg_String(a[2])));
}

void F_SpriteSaveStrip(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const CSprite* s = SpriteToSave(a[0], a[1]);
  if (s == nullptr) return;
  const std::vector<CBitmap32>& frames = s->FrameImages();
  if (frames.empty()) return;
  const int32_t width = s->GetWidth(), height = s->GetHeight();
  const int64_t stripWidth = int64_t{width} * static_cast<int64_t>(frames.size());
  if (!Bitmap_SizeAllowed(stripWidth, height)) return;
  CBitmap32 strip(static_cast<int32_t>(stripWidth), height, 0x000000);
  for (size_t i = 0; i < frames.size(); ++i) {
    const int32_t left = static_cast<int32_t>(i) * width;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) strip.SetPixel(left + x, y, frames[i].Pixel(x, y));
    }
  }
  strip.write_png_file(LoadSave_SavePath(Arg_String(a[1])));
}

// The platform bitmap of this system cannot save itself: after the checks nothing is written.
void F_BackgroundSave(ScriptValue&, CInstance*, CInstance*, int, Args a) {
  const CBackground* b = Background_Data(Arg_Rounded(a[0]));
  if (b == nullptr) {
    Report("Trying to save non-existing background bitmap.");
    return;
  }
  if (!Arg_HasText(a[1])) {
    Report("Trying to save background bitmap to empty image file name.");
    return;
  }
  std::unique_ptr<IBitmap> copy = b->CreateBitmap();
  (void)copy;
}

// ---- built-ins that only answer ----

void F_Unsupported(ScriptValue& r, CInstance*, CInstance*, int, Args) {
  r.SetReal(-1);
  g_DebugConsole->Output("unsupported function\n");
}
void F_AnswerZero(ScriptValue& r, CInstance*, CInstance*, int, Args) { r.SetReal(0); }

}  // namespace

void RegisterSpriteAndBackgroundFunctions(bool format800) {
  auto add = [](const char* name, BuiltinFunction f, int32_t argc) { Function_Add(name, f, argc); };
  // A row of both formats with its argument count in each.
  auto both = [&](const char* name, BuiltinFunction f, int32_t argc800, int32_t argc700) {
    add(name, f, format800 ? argc800 : argc700);
  };

  add("sprite_exists", F_SpriteExists, 1);
  add("sprite_name", F_SpriteName, 1);
  add("sprite_get_name", F_SpriteName, 1);
  add("sprite_get_number", F_SpriteGet<SpriteField::Number>, 1);
  add("sprite_get_width", F_SpriteGet<SpriteField::Width>, 1);
  add("sprite_get_height", F_SpriteGet<SpriteField::Height>, 1);
  add("sprite_get_transparent", F_SpriteGet<SpriteField::Transparent>, 1);
  add("sprite_get_smooth", F_SpriteGet<SpriteField::Smooth>, 1);
  add("sprite_get_preload", F_SpriteGet<SpriteField::Preload>, 1);
  add("sprite_get_precise", F_SpriteGet<SpriteField::Precise>, 1);
  add("sprite_get_xoffset", F_SpriteGet<SpriteField::XOffset>, 1);
  add("sprite_get_yoffset", F_SpriteGet<SpriteField::YOffset>, 1);
  add("sprite_get_bbox_mode", F_SpriteGet<SpriteField::BboxMode>, 1);
  add("sprite_get_bbox_left", F_SpriteGet<SpriteField::BboxLeft>, 1);
  add("sprite_get_bbox_right", F_SpriteGet<SpriteField::BboxRight>, 1);
  add("sprite_get_bbox_top", F_SpriteGet<SpriteField::BboxTop>, 1);
  add("sprite_get_bbox_bottom", F_SpriteGet<SpriteField::BboxBottom>, 1);
  add("background_exists", F_BackgroundExists, 1);
  add("background_name", F_BackgroundName, 1);
  add("background_get_name", F_BackgroundName, 1);
  add("background_get_width", F_BackgroundGet<BackgroundField::Width>, 1);
  add("background_get_height", F_BackgroundGet<BackgroundField::Height>, 1);
  add("background_get_transparent", F_BackgroundGet<BackgroundField::Transparent>, 1);
  add("background_get_smooth", F_BackgroundGet<BackgroundField::Smooth>, 1);
  add("background_get_preload", F_BackgroundGet<BackgroundField::Preload>, 1);

  add("sprite_set_offset", F_SpriteSetOffset, 3);
  add("sprite_set_bbox_mode", F_SpriteSetBboxMode, 2);
  add("sprite_set_bbox", F_SpriteSetBbox, 5);
  add("sprite_set_precise", F_SpriteSetPrecise, 2);
  add("sprite_set_alpha_from_sprite", F_SpriteSetAlphaFromSprite, 2);
  add("sprite_collision_mask", F_SpriteCollisionMask, 9);
  add("background_set_alpha_from_background", F_BackgroundSetAlphaFromBackground, 2);

  both("sprite_add", F_SpriteAdd, 6, 8);
  both("sprite_replace", F_SpriteReplace, 7, 9);
  if (!format800) {
    add("sprite_add_alpha", F_SpriteAddAlpha, 6);
    add("sprite_replace_alpha", F_SpriteReplaceAlpha, 7);
  }
  both("sprite_create_from_screen", F_SpriteCreateFromScreen, 8, 10);
  both("sprite_create_from_surface", F_SpriteCreateFromSurface, 9, 11);
  both("sprite_add_from_screen", F_SpriteAddFromScreen, 7, 5);
  both("sprite_add_from_surface", F_SpriteAddFromSurface, 8, 6);
  add("sprite_duplicate", F_SpriteDuplicate, 1);
  add("sprite_assign", F_SpriteAssign, 2);
  add("sprite_merge", F_SpriteMerge, 2);
  add("sprite_delete", F_SpriteDelete, 1);
  both("background_add", F_BackgroundAdd, 3, 4);
  both("background_replace", F_BackgroundReplace, 4, 5);
  if (!format800) {
    add("background_add_alpha", F_BackgroundAddAlpha, 2);
    add("background_replace_alpha", F_BackgroundReplaceAlpha, 3);
  }
  both("background_create_color", F_BackgroundCreateColor, 3, 4);
  both("background_create_gradient", F_BackgroundCreateGradient, 5, 6);
  both("background_create_from_screen", F_BackgroundCreateFromScreen, 6, 7);
  both("background_create_from_surface", F_BackgroundCreateFromSurface, 7, 8);
  add("background_duplicate", F_BackgroundDuplicate, 1);
  add("background_assign", F_BackgroundAssign, 2);
  add("background_delete", F_BackgroundDelete, 1);

  add("sprite_save", F_SpriteSave, 3);
  if (format800) add("sprite_save_strip", F_SpriteSaveStrip, 2);
  add("background_save", F_BackgroundSave, 2);

  if (format800) {
    add("sprite_add_sprite", F_Unsupported, 1);
    add("sprite_replace_sprite", F_Unsupported, 2);
    add("background_add_background", F_Unsupported, 1);
    add("background_replace_background", F_Unsupported, 2);
  }
  add("sprite_set_cache_size", F_AnswerZero, 2);
  add("sprite_set_cache_size_ext", F_AnswerZero, 3);
  add("sprite_get_tpe", F_AnswerZero, 2);
  add("font_set_cache_size", F_AnswerZero, 2);
}

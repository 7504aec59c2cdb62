#include "runner/loading_screen.h"

#include "data/game_data.h"
#include "data/game_options.h"
#include "data/tpage_record.h"
#include "graphics/device.h"
#include "graphics/primitives.h"
#include "graphics/textured_quads.h"
#include "runner/window.h"

namespace {

// The bar's back and front (drawn with the drawing alpha, opaque at start-up).
constexpr uint32_t kBarBack = 0x404040u;
constexpr uint32_t kBarFront = 0xFFFFFFu;

void DrawSplash() {
  const uint32_t offset = Options_Get().splashEntry;
  if (offset == 0) return;
  TPageRecord entry;
  if (!TPageRecord_Read(GameData_Reader().Image(), offset, entry) || !entry.Exists()) return;
  const float x = (static_cast<float>(GR_Window_Get_Width()) - static_cast<float>(entry.width)) / 2.0f;
  const float y = (static_cast<float>(GR_Window_Get_Height()) - static_cast<float>(entry.height)) / 2.0f;
  GR_Draw_TPE(entry, x, y);
}

void DrawBar(const LoadForm& form) {
  if (form.barWidth <= 0 || form.barHeight <= 0) return;
  const float x = static_cast<float>(form.barX), y = static_cast<float>(form.barY);
  const float bottom = y + static_cast<float>(form.barHeight);
  GR_Draw_Rectangle_Color(x, y, x + static_cast<float>(form.barWidth), bottom, kBarBack, kBarBack, kBarBack,
                          kBarBack, false);
  const float filled = static_cast<float>(form.barWidth) * static_cast<float>(form.percent) / 100.0f;
  if (filled > 0.0f) {
    GR_Draw_Rectangle_Color(x, y, x + filled, bottom, kBarFront, kBarFront, kBarFront, kBarFront, false);
  }
}

}  // namespace

void LoadingScreen_Present(const LoadForm& form) {
  DrawSplash();
  DrawBar(form);
  GR_D3D_Finish_Frame(true);
  GR_D3D_Start_Frame();
}

void LoadingScreen_Finish() { Window_Show(); }

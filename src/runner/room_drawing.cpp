#include "runner/room_drawing.h"

#include <algorithm>
#include <cmath>

#include "data/background.h"
#include "data/objects.h"
#include "data/room_settings.h"
#include "data/rooms.h"
#include "data/sprite.h"
#include "graphics/batch.h"
#include "graphics/graphics_state.h"
#include "graphics/particles/particle_systems.h"
#include "graphics/primitives.h"
#include "graphics/render_state.h"
#include "graphics/resource_drawing.h"
#include "graphics/surfaces.h"
#include "graphics/texture_table.h"
#include "platform/conversions.h"
#include "runner/events.h"
#include "runner/instance.h"
#include "runner/input.h"
#include "runner/room_start.h"
#include "runner/run_globals.h"
#include "runner/window.h"
#include "script/builtin_variables.h"

namespace {

// Particle depths at or below this mean no system is left to draw.
constexpr float kNoParticles = -1e8f;

constexpr int32_t kDrawEvent = 8;
constexpr int32_t kDrawNormal = 0;
constexpr int32_t kDrawGui = 64;

// The view being drawn lives in the run-time globals (view_current reads it).
int32_t& g_currentView = Run_Globals.viewCurrent;
CRoom* (*g_tileRoom)() = Run_CurrentRoom;

// The running room's tiles when it is the room being drawn.
CRoom* TiledRoom(const RoomSettings* room) {
  CRoom* tiled = g_tileRoom != nullptr ? g_tileRoom() : nullptr;
  return tiled != nullptr && static_cast<const RoomSettings*>(tiled) == room ? tiled : nullptr;
}

void DrawTile(const Tile& tile, const ViewRect& rect) {
  GR_Draw_Set_Depth(std::min(tile.depth, 11000.0f));
  const CBackground* background = Background_Data(tile.background);
  if (background == nullptr) return;
  const float x1 = tile.x, x2 = tile.x + static_cast<float>(tile.width) * tile.xscale;
  const float y1 = tile.y, y2 = tile.y + static_cast<float>(tile.height) * tile.yscale;
  const float left = std::min(x1, x2), right = std::max(x1, x2);
  const float top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (rect.right >= left && rect.bottom >= top && right >= rect.left && bottom >= rect.top) {
    background->DrawPart(static_cast<float>(tile.left), static_cast<float>(tile.top), static_cast<float>(tile.width),
                         static_cast<float>(tile.height), tile.x, tile.y, tile.xscale, tile.yscale, tile.blend,
                         tile.alpha);
  }
}
int g_guiWidth = -1, g_guiHeight = -1;

// Makes a view's surface the render target; false (nothing pushed) when the surface does not
// exist or is already the target.
bool PushViewSurface(int32_t surface) {
  if (!GR_Surface_Exists(surface) || GR_Surface_Current_Target() == surface) return false;
  HardwareTexture* texture = GR_Texture_Get(GR_Surface_Get_Texture(surface));
  if (texture == nullptr || !Graphics_PushRenderTarget()) return false;
  if (!Graphics_SetRenderTarget(0, texture)) {
    Graphics_PopRenderTarget();
    return false;
  }
  return true;
}

void PopViewSurface() {
  GR_D3D_Batch_Flush();
  Graphics_PopRenderTarget();
}

bool HasEvent(const CInstance& instance, int32_t sub) {
  return instance.object != nullptr && instance.object->HasEventInherited(kDrawEvent, sub);
}

// The instance a view follows: an id from 100000, else the first live instance of the object
// or of its children.
CInstance* FollowedInstance(int32_t object) {
  if (object >= 100000) {
    CInstance* instance = Instance_Find(object);
    return instance != nullptr && !instance->marked ? instance : nullptr;
  }
  CObjectKF* data = Object_Data(object);
  if (data == nullptr) return nullptr;
  for (CInstance* instance : data->InstancesRecursive()) {
    if (instance != nullptr && !instance->marked) return instance;
  }
  return nullptr;
}

// One axis of a view following a position with a border.
int32_t Follow(int32_t view, int32_t size, int32_t border, int32_t at) {
  if (2 * int64_t{border} < size) {
    if (at - border < view) return at - border;
    if (at + border > view + size) return at + border - size;
    return view;
  }
  return at - size / 2;
}

int32_t LimitSpeed(int32_t before, int32_t after, int32_t speed) {
  if (speed < 0) return after;
  return std::clamp(after, before - speed, before + speed);
}

void DrawInstance(CInstance& instance) {
  if (HasEvent(instance, kDrawNormal)) {
    Perform_Event(&instance, &instance, kDrawEvent, kDrawNormal);
    return;
  }
  const CSprite* sprite = Sprite_Data(instance.sprite_index);
  if (sprite == nullptr) return;
  if (instance.image_xscale == 1.0f && instance.image_yscale == 1.0f && instance.image_angle == 0.0f &&
      instance.image_blend == 0xFFFFFFu && instance.image_alpha == 1.0f) {
    sprite->DrawSimple(Conv_TruncToInt32(std::floor(static_cast<double>(instance.image_index))), instance.x,
                       instance.y);
  } else {
    sprite->Draw(Conv_TruncToInt32(static_cast<double>(instance.image_index)), instance.x, instance.y,
                 instance.image_xscale, instance.image_yscale, instance.image_angle, instance.image_blend,
                 instance.image_alpha);
  }
}

void DrawBackgrounds(const RoomSettings& room, bool foreground, const ViewRect& rect) {
  for (const RoomBackground& layer : room.backgrounds) {
    if (!layer.visible || layer.foreground != foreground) continue;
    const CBackground* background = Background_Data(layer.index);
    if (background == nullptr) continue;
    background->DrawTiled(layer.x, layer.y, layer.xscale, layer.yscale, layer.htiled, layer.vtiled, rect.left,
                          rect.top, rect.right - rect.left, rect.bottom - rect.top, layer.blend, layer.alpha);
  }
}

}  // namespace

RoomSettings* Room_Current() {
  const auto& hook = Variable_BuiltIn_World().currentRoom;
  return hook ? hook() : nullptr;
}

int32_t Room_CurrentView() { return g_currentView; }
void Room_SetGuiSize(int width, int height) {
  g_guiWidth = width;
  g_guiHeight = height;
}
void Room_GetGuiSize(int& width, int& height) {
  width = g_guiWidth;
  height = g_guiHeight;
}

bool Room_ProjectionSize(int& width, int& height) {
  RoomSettings* room = Room_Current();
  if (room == nullptr) return false;
  if (room->enableViews && room->views[0].visible) {
    width = room->views[0].wport;
    height = room->views[0].hport;
  } else {
    width = room->width;
    height = room->height;
  }
  return true;
}

void Room_UpdateViews() {
  RoomSettings* room = Room_Current();
  MainWindowState& window = MainWindow();
  if (room == nullptr || !room->enableViews) {
    for (int v = 0; v < kRoomViewCount; ++v) GR_Window_Clear_View(v);
    return;
  }
  for (RoomView& view : room->views) {
    if (!view.visible || view.object < 0) continue;
    CInstance* instance = FollowedInstance(view.object);
    if (instance == nullptr) continue;
    const int32_t ix = Conv_RoundToInt32(static_cast<double>(instance->x));
    const int32_t iy = Conv_RoundToInt32(static_cast<double>(instance->y));
    const int32_t oldX = view.xview, oldY = view.yview;
    int32_t x = Follow(view.xview, view.wview, view.hborder, ix);
    int32_t y = Follow(view.yview, view.hview, view.vborder, iy);
    if (x < 0) x = 0;
    if (x + view.wview > room->width) x = room->width - view.wview;
    if (y < 0) y = 0;
    if (y + view.hview > room->height) y = room->height - view.hview;
    view.xview = LimitSpeed(oldX, x, view.hspeed);
    view.yview = LimitSpeed(oldY, y, view.vspeed);
  }
  int left = 999999, top = 999999, right = -999999, bottom = -999999;
  for (int v = 0; v < kRoomViewCount; ++v) {
    GR_Window_Clear_View(v);
    const RoomView& view = room->views[static_cast<size_t>(v)];
    if (!view.visible) continue;
    if (view.surface == -1) {
      left = std::min(left, view.xport);
      right = std::max(right, view.xport + view.wport);
      top = std::min(top, view.yport);
      bottom = std::max(bottom, view.yport + view.hport);
    }
    GR_Window_Set_View(v, static_cast<float>(view.xport), static_cast<float>(view.yport),
                       static_cast<float>(view.wport), static_cast<float>(view.hport), static_cast<float>(view.xview),
                       static_cast<float>(view.yview), static_cast<float>(view.wview),
                       static_cast<float>(view.hview), view.angle, view.surface);
  }
  // With no view on the screen the union is empty: the scale stays as it was.
  if (right > left && bottom > top) {
    window.portScaleX = static_cast<float>(GR_Window_Get_Width()) / static_cast<float>(right - left);
    window.portScaleY = static_cast<float>(GR_Window_Get_Height()) / static_cast<float>(bottom - top);
  }
}

void Room_DrawInstances() {
  RoomSettings* room = Room_Current();
  if (room == nullptr) return;
  const bool mode3D = Graphics_Settings().mode3D;
  for (CInstance* instance = room->active.last; instance != nullptr;) {
    CInstance* previous = instance->prev;
    if (instance->visible && !instance->marked) {
      if (mode3D) GR_Draw_Set_Depth(std::min(instance->depth, 11000.0f));
      DrawInstance(*instance);
    }
    instance = previous;
  }
  GR_D3D_Batch_Flush();
}

void Room_SetTileRoomQuery(CRoom* (*query)()) { g_tileRoom = query; }

void Room_DrawByDepth(float left, float top, float right, float bottom) {
  RoomSettings* room = Room_Current();
  if (room == nullptr) return;
  const ViewRect rect{left, top, right, bottom};
  CRoom* tiled = TiledRoom(room);
  const std::vector<Tile>* tiles = tiled != nullptr ? &tiled->Tiles() : nullptr;
  size_t t = 0;
  auto nextTile = [&]() -> const Tile* {
    while (tiles != nullptr && t < tiles->size() && !(*tiles)[t].visible) ++t;
    return tiles != nullptr && t < tiles->size() ? &(*tiles)[t] : nullptr;
  };
  auto nextInstance = [](CInstance* at) {
    while (at != nullptr && (!at->visible || at->marked)) at = at->prev;
    return at;
  };
  CInstance* instance = nextInstance(room->active.last);
  // Particle systems drawn automatically, deepest first; at equal depth after the instance and
  // before the tile.
  float particles = ParticleSystem_Max_Draw_Depth();
  for (const Tile* tile = nextTile(); instance != nullptr || tile != nullptr || particles > kNoParticles;
       tile = nextTile()) {
    if (particles > kNoParticles && (instance == nullptr || particles > instance->depth) &&
        (tile == nullptr || particles >= tile->depth)) {
      GR_Draw_Set_Depth(std::min(particles, 11000.0f));
      ParticleSystem_Draw_At_Depth(particles);
      particles = ParticleSystem_Next_Draw_Depth(particles);
    } else if (instance != nullptr && (tile == nullptr || tile->depth <= instance->depth)) {
      CInstance* previous = instance->prev;
      GR_Draw_Set_Depth(std::min(instance->depth, 11000.0f));
      DrawInstance(*instance);
      instance = nextInstance(previous);
    } else {
      DrawTile(*tile, rect);
      ++t;
    }
  }
  GR_D3D_Batch_Flush();
}

void Room_DrawView(float left, float top, float right, float bottom) {
  RoomSettings* room = Room_Current();
  if (room == nullptr) return;
  const ViewRect rect{left, top, right, bottom};
  Draw_ViewRect() = rect;
  Graphics::Clear(0, 1.0f, 0, 2);
  if (room->showColour) GR_Draw_Clear(room->colour | 0xFF000000u);
  GR_Draw_Set_Depth(12000.0f);
  DrawBackgrounds(*room, false, rect);
  CRoom* tiled = TiledRoom(room);
  if ((tiled != nullptr && tiled->GetTileCount() > 0) || ParticleSystem_Max_Draw_Depth() > kNoParticles) {
    Room_DrawByDepth(left, top, right, bottom);
  } else {
    Room_DrawInstances();
  }
  GR_Draw_Set_Depth(-12000.0f);
  DrawBackgrounds(*room, true, rect);
  GR_Draw_Set_Depth(-13000.0f);
}

void Room_DrawGuiEvent(float left, float top, float right, float bottom) {
  RoomSettings* room = Room_Current();
  if (room == nullptr) return;
  Draw_ViewRect() = {left, top, right, bottom};
  for (CInstance* instance = room->active.last; instance != nullptr;) {
    CInstance* previous = instance->prev;
    if (instance->visible && !instance->marked && HasEvent(*instance, kDrawGui)) {
      Perform_Event(instance, instance, kDrawEvent, kDrawGui);
    }
    instance = previous;
  }
}

void Room_Draw() {
  RoomSettings* room = Room_Current();
  if (room == nullptr) return;
  Room_UpdateViews();
  if (CRoom* tiled = TiledRoom(room)) tiled->SortTiles();
  MainWindowState& window = MainWindow();
  const int windowWidth = GR_Window_Get_Width();
  const int windowHeight = GR_Window_Get_Height();
  if (room->enableViews) {
    GR_Draw_Clear(window.colour);
    for (int v = 0; v < kRoomViewCount; ++v) {
      g_currentView = v;
      const RoomView& view = room->views[static_cast<size_t>(v)];
      if (!view.visible) continue;
      // A view drawn into a surface: the surface becomes the target for the view alone, at
      // port scale 1. Only a target pushed here is popped again.
      bool pushed = false;
      float scaleX = window.portScaleX, scaleY = window.portScaleY;
      if (view.surface != -1) {
        GR_D3D_Batch_Flush();
        pushed = PushViewSurface(view.surface);
        if (pushed) scaleX = scaleY = 1.0f;
      }
      GR_Set_View_Projection(static_cast<float>(view.xview), static_cast<float>(view.yview),
                             static_cast<float>(view.wview), static_cast<float>(view.hview), view.angle);
      GR_Set_Viewport(Conv_TruncToInt32(static_cast<double>(static_cast<float>(view.xport) * scaleX)),
                      Conv_TruncToInt32(static_cast<double>(static_cast<float>(view.yport) * scaleY)),
                      Conv_TruncToInt32(static_cast<double>(static_cast<float>(view.wport) * scaleX)),
                      Conv_TruncToInt32(static_cast<double>(static_cast<float>(view.hport) * scaleY)));
      float left = static_cast<float>(view.xview), top = static_cast<float>(view.yview);
      float right = static_cast<float>(view.xview + view.wview), bottom = static_cast<float>(view.yview + view.hview);
      if (std::fabs(view.angle) >= 0.001f) {
        left -= static_cast<float>(view.hview / 2);
        top -= static_cast<float>(view.wview / 2);
        right += static_cast<float>(view.hview / 2);
        bottom += static_cast<float>(view.wview / 2);
      }
      Room_DrawView(left, top, right, bottom);
      if (pushed) PopViewSurface();
    }
    GR_D3D_Batch_Flush();
    GR_Set_Viewport(0, 0, windowWidth, windowHeight);
    GR_Set_View_Projection(0, 0, static_cast<float>(windowWidth), static_cast<float>(windowHeight), 0);
  } else {
    g_currentView = 0;
    GR_D3D_Batch_Flush();
    GR_Set_Viewport(0, 0, windowWidth, windowHeight);
    GR_Set_View_Projection(0, 0, static_cast<float>(room->width), static_cast<float>(room->height), 0);
    Room_DrawView(0, 0, static_cast<float>(room->width), static_cast<float>(room->height));
  }
  // The GUI layer, in window coordinates (or the GUI size), never in 3D.
  GraphicsSettings& settings = Graphics_Settings();
  const bool mode3D = settings.mode3D;
  settings.mode3D = false;
  const int guiWidth = g_guiWidth >= 0 ? g_guiWidth : windowWidth;
  const int guiHeight = g_guiHeight >= 0 ? g_guiHeight : windowHeight;
  GR_D3D_Batch_Flush();
  GR_Set_Viewport(0, 0, windowWidth, windowHeight);
  GR_Set_View_Projection(0, 0, static_cast<float>(guiWidth), static_cast<float>(guiHeight), 0);
  Room_DrawGuiEvent(0, 0, static_cast<float>(guiWidth), static_cast<float>(guiHeight));
  // The cursor sprite at the mouse, mapped by the window's scaling alone (no views).
  if (const CSprite* cursor = Sprite_Data(Run_Globals.cursorSprite)) {
    const int views = window.viewCount;
    window.viewCount = 0;
    int x = 0, y = 0;
    GR_Window_To_Room(IO_State().windowMouseX, IO_State().windowMouseY, x, y);
    window.viewCount = views;
    cursor->Draw(Run_Globals.stepCount, static_cast<float>(x), static_cast<float>(y), 1.0f, 1.0f, 0.0f, 0xFFFFFFu,
                 1.0f);
  }
  GR_D3D_Batch_Flush();
  settings.mode3D = mode3D;
  Draw_ResetViewRect();
  g_currentView = 0;
}

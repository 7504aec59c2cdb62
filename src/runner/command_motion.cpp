// The move commands: snapping, wrapping, moving towards a point, to contact, out of
// collisions, and bouncing.
#include <algorithm>
#include <cmath>

#include "data/sprite.h"
#include "platform/conversions.h"
#include "runner/commands.h"
#include "runner/instance.h"
#include "runner/motion_progress.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr int32_t kDefaultSteps = 1000;

bool PlaceFree(CInstance& self, float x, float y, bool all) {
  return all ? Command_IsEmpty(self, x, y) : Command_IsFree(self, x, y);
}

// The number of one-pixel steps: maxdist rounded (held within 32 bits), 1000 for none.
int32_t StepCount(float maxdist) {
  if (!(maxdist > 0.0f)) return kDefaultSteps;
  return Conv_RoundToInt32(std::min(static_cast<double>(maxdist), 2147483647.0));
}

}  // namespace

void Command_MoveSnap(CInstance& self, int32_t hsnap, int32_t vsnap) {
  float x = self.x;
  float y = self.y;
  if (hsnap > 0) x = static_cast<float>(std::nearbyint(x / static_cast<float>(hsnap)) * static_cast<float>(hsnap));
  if (vsnap > 0) y = static_cast<float>(std::nearbyint(y / static_cast<float>(vsnap)) * static_cast<float>(vsnap));
  self.SetPosition(x, y);
}

void Command_Wrap(CInstance& self, bool horizontal, bool vertical) {
  int32_t roomWidth = 0;
  int32_t roomHeight = 0;
  Command_RoomSize(roomWidth, roomHeight);
  float w = 0.0f;
  float h = 0.0f;
  if (const CSprite* sprite = Sprite_Data(self.sprite_index)) {
    w = static_cast<float>(sprite->GetWidth()) * self.image_xscale;
    h = static_cast<float>(sprite->GetHeight()) * self.image_yscale;
  }
  const float rw = static_cast<float>(roomWidth);
  const float rh = static_cast<float>(roomHeight);
  if (horizontal) {
    if (self.hspeed < 0.0f && self.x < 0.0f) self.SetPosition(rw + self.x + w, self.y);
    if (self.hspeed > 0.0f && self.x >= rw) self.SetPosition(self.x - rw - w, self.y);
  }
  if (vertical) {
    if (self.vspeed < 0.0f && self.y < 0.0f) self.SetPosition(self.x, rh + self.y + h);
    if (self.vspeed > 0.0f && self.y >= rh) self.SetPosition(self.x, self.y - rh - h);
  }
}

void Command_MoveTowardsPoint(CInstance& self, float x, float y, float speed) {
  self.SetHSpeed(x - self.x);
  self.SetVSpeed(y - self.y);
  self.SetSpeed(speed);
}

bool Command_MoveContact(CInstance& self, float direction, float maxdist, bool all) {
  const int32_t n = StepCount(maxdist);
  const float a = direction * kPi / 180.0f;
  const float ux = std::cos(a);
  const float uy = -std::sin(a);
  bool free = PlaceFree(self, self.x, self.y, all);
  if (!free || n < 1) return free;
  for (int32_t i = 1; i <= n; ++i) {
    const float nx = self.x + ux;
    const float ny = self.y + uy;
    free = PlaceFree(self, nx, ny, all);
    if (!free || Motion_SamePlace(self.x, self.y, nx, ny)) break;  // the steps left change nothing
    self.SetPosition(nx, ny);
  }
  return free;
}

bool Command_MoveOutside(CInstance& self, float direction, float maxdist, bool all) {
  const int32_t n = StepCount(maxdist);
  const float a = direction * kPi / 180.0f;
  const float ux = std::cos(a);
  const float uy = -std::sin(a);
  bool free = PlaceFree(self, self.x, self.y, all);
  if (free || n < 1) return free;
  for (int32_t i = 1; i <= n && !free; ++i) {
    const float nx = self.x + ux;
    const float ny = self.y + uy;
    if (Motion_SamePlace(self.x, self.y, nx, ny)) break;  // the steps left change nothing
    self.SetPosition(nx, ny);
    free = PlaceFree(self, self.x, self.y, all);
  }
  return free;
}

void Command_Bounce(CInstance& self, bool advanced, bool all) {
  bool hit = false;
  if (!PlaceFree(self, self.x, self.y, all)) {
    self.SetPosition(self.xprevious, self.yprevious);
    hit = true;
  }
  if (!advanced) {
    const bool fx = PlaceFree(self, self.x + self.hspeed, self.y, all);
    const bool fy = PlaceFree(self, self.x, self.y + self.vspeed, all);
    const bool fxy = PlaceFree(self, self.x + self.hspeed, self.y + self.vspeed, all);
    if (!fx) {
      self.SetHSpeed(-self.hspeed);
      if (!fy) self.SetVSpeed(-self.vspeed);
    } else if (!fy) {
      self.SetVSpeed(-self.vspeed);
    } else if (!fxy) {
      self.SetHSpeed(-self.hspeed);
      self.SetVSpeed(-self.vspeed);
    }
    return;
  }
  constexpr int32_t kProbes = 35;
  const float d0 = static_cast<float>(std::nearbyint(self.direction / 10.0f) * 10.0f);
  auto probeFree = [&](float degrees) {
    const float t = degrees * kPi / 180.0f;
    return PlaceFree(self, self.x + std::cos(t) * self.speed, self.y - std::sin(t) * self.speed, all);
  };
  float a = d0;
  for (int32_t i = 1; i <= kProbes; ++i) {
    a = d0 - 10.0f * static_cast<float>(i);
    if (probeFree(a)) break;
    hit = true;
  }
  float b = d0;
  for (int32_t i = 1; i <= kProbes; ++i) {
    b = d0 + 10.0f * static_cast<float>(i);
    if (probeFree(b)) break;
    hit = true;
  }
  if (hit) self.SetDirection(b + a + 180.0f - d0);
}

// Precise collision tests: room pixels are mapped into a sprite's mask through the instance's
// position, scales and angle. The point, rectangle, ellipse and line tests round the mapped
// coordinates down; the sprite-to-sprite test truncates toward zero and multiplies by
// reciprocal scales. All of it is single-precision, as the games expect.
#include <algorithm>
#include <cmath>

#include "data/sprite.h"

namespace {

constexpr float kPi = 3.14159265358979323846f;
constexpr float kAngleEpsilon = 0.0001f;

// The sprite's mask for one placement: null bytes mean "solid everywhere in the frame".
struct MaskView {
  const uint8_t* bytes = nullptr;
  int32_t width = 0, height = 0;
  int32_t xOrigin = 0, yOrigin = 0;

  bool Solid(int32_t mx, int32_t my) const {
    if (mx < 0 || my < 0 || mx >= width || my >= height) return false;
    return bytes == nullptr || bytes[size_t(my) * size_t(width) + size_t(mx)] != 0;
  }
};

MaskView ViewOf(const CSprite& sprite, int32_t frame) {
  std::span<const uint8_t> mask = sprite.MaskForFrame(frame);
  MaskView view{mask.empty() ? nullptr : mask.data(), sprite.GetWidth(), sprite.GetHeight(), sprite.GetXOrigin(),
                sprite.GetYOrigin()};
  // A stored mask always has width x height bytes; anything else is taken as no mask.
  if (!mask.empty() && mask.size() != size_t(view.width) * size_t(view.height)) view.bytes = nullptr;
  return view;
}

// Floor of a mapped coordinate, -1 (outside) when it is not a finite value in the mask's range.
int32_t FloorIndex(float value, int32_t limit) {
  if (!(value >= 0.0f && value < static_cast<float>(limit))) return -1;
  return static_cast<int32_t>(std::floor(value));
}

// Truncation toward zero: values in (-1, 0) land on 0.
int32_t TruncIndex(float value, int32_t limit) {
  if (!(value > -1.0f && value < static_cast<float>(limit))) return -1;
  return static_cast<int32_t>(value);
}

// The general mapping (rotation, then scale) with the angle's sine and cosine computed once.
struct Rotation {
  float s = 0.0f, c = 1.0f;
  explicit Rotation(float angle) {
    float r = -angle * kPi / 180.0f;
    s = std::sin(r);
    c = std::cos(r);
  }
};

bool SolidAtGeneral(const MaskView& mask, const SpritePlacement& p, const Rotation& rot, float px, float py) {
  float dx = px - static_cast<float>(p.x), dy = py - static_cast<float>(p.y);
  float mx = (dx * rot.c + dy * rot.s) / p.xscale + static_cast<float>(mask.xOrigin);
  float my = (dy * rot.c - dx * rot.s) / p.yscale + static_cast<float>(mask.yOrigin);
  return mask.Solid(FloorIndex(mx, mask.width), FloorIndex(my, mask.height));
}

bool Plain(const SpritePlacement& p) {
  return p.xscale == 1.0f && p.yscale == 1.0f && std::fabs(p.angle) < kAngleEpsilon;
}

bool SolidAtPlain(const MaskView& mask, const SpritePlacement& p, int32_t px, int32_t py) {
  int64_t mx = int64_t{px} - p.x + mask.xOrigin, my = int64_t{py} - p.y + mask.yOrigin;
  if (mx < 0 || my < 0 || mx >= mask.width || my >= mask.height) return false;
  return mask.Solid(static_cast<int32_t>(mx), static_cast<int32_t>(my));
}

// Scans the part of rect inside the box, column by column; inside decides which pixels count.
template <typename Inside>
bool ScanRegion(const CSprite& sprite, const SpritePlacement& p, const CollisionBox& rect, Inside inside) {
  const MaskView mask = ViewOf(sprite, p.frame);
  const int32_t left = std::max(p.box.left, rect.left), right = std::min(p.box.right, rect.right);
  const int32_t top = std::max(p.box.top, rect.top), bottom = std::min(p.box.bottom, rect.bottom);
  const bool plain = Plain(p);
  const Rotation rot(plain ? 0.0f : p.angle);
  for (int64_t x = left; x <= right; ++x)
    for (int64_t y = top; y <= bottom; ++y) {
      const int32_t px = static_cast<int32_t>(x), py = static_cast<int32_t>(y);
      if (!inside(px, py)) continue;
      bool solid = plain ? SolidAtPlain(mask, p, px, py)
                         : SolidAtGeneral(mask, p, rot, static_cast<float>(px), static_cast<float>(py));
      if (solid) return true;
    }
  return false;
}

}  // namespace

bool CSprite::Collision_Point(const SpritePlacement& self, int32_t px, int32_t py) const {
  if (!masksValid_) return true;
  if (frameCount_ <= 0) return false;
  const MaskView mask = ViewOf(*this, self.frame);
  if (std::fabs(self.angle) < kAngleEpsilon) {
    float mx = static_cast<float>(int64_t{px} - self.x) / self.xscale + static_cast<float>(xOrigin_);
    float my = static_cast<float>(int64_t{py} - self.y) / self.yscale + static_cast<float>(yOrigin_);
    return mask.Solid(FloorIndex(mx, width_), FloorIndex(my, height_));
  }
  return SolidAtGeneral(mask, self, Rotation(self.angle), static_cast<float>(px), static_cast<float>(py));
}

bool CSprite::Collision_Rectangle(const SpritePlacement& self, const CollisionBox& rect) const {
  if (!masksValid_) return true;
  if (frameCount_ <= 0) return false;
  return ScanRegion(*this, self, rect, [](int32_t, int32_t) { return true; });
}

bool CSprite::Collision_Ellipse(const SpritePlacement& self, const CollisionBox& rect) const {
  if (!masksValid_) return true;
  if (frameCount_ <= 0) return false;
  const int32_t cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
  const int32_t rx = (rect.right - rect.left) / 2, ry = (rect.bottom - rect.top) / 2;
  // A zero half-axis leaves only the centre line on that axis.
  auto term = [](int32_t d, int32_t r) {
    if (r == 0) return d == 0 ? 0.0 : 2.0;
    double q = static_cast<double>(d) / r;
    return q * q;
  };
  return ScanRegion(*this, self, rect,
                    [&](int32_t px, int32_t py) { return term(px - cx, rx) + term(py - cy, ry) <= 1.0; });
}

bool CSprite::Collision_Line(const SpritePlacement& self, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  if (!masksValid_) return true;
  if (frameCount_ <= 0) return false;
  if (x1 == x2 || y1 == y2)
    return Collision_Rectangle(self, {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
  const MaskView mask = ViewOf(*this, self.frame);
  const Rotation rot(self.angle);
  const int64_t ddx = int64_t{x2} - x1, ddy = int64_t{y2} - y1;
  if (std::llabs(ddx) < std::llabs(ddy)) {
    if (y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
    const float run = static_cast<float>(int64_t{x2} - x1), rise = static_cast<float>(int64_t{y2} - y1);
    for (int64_t y = std::max(y1, self.box.top); y <= std::min(y2, self.box.bottom); ++y) {
      float x = static_cast<float>(x1) + static_cast<float>(y - y1) * run / rise;
      if (SolidAtGeneral(mask, self, rot, x, static_cast<float>(y))) return true;
    }
  } else {
    if (x1 > x2) std::swap(x1, x2), std::swap(y1, y2);
    const float run = static_cast<float>(int64_t{x2} - x1), rise = static_cast<float>(int64_t{y2} - y1);
    for (int64_t x = std::max(x1, self.box.left); x <= std::min(x2, self.box.right); ++x) {
      float y = static_cast<float>(y1) + static_cast<float>(x - x1) * rise / run;
      if (SolidAtGeneral(mask, self, rot, static_cast<float>(x), y)) return true;
    }
  }
  return false;
}

bool CSprite::Collision_Sprite(const SpritePlacement& self, const CSprite& other, const SpritePlacement& placed) const {
  if (frameCount_ <= 0 || other.frameCount_ <= 0) return false;
  const MaskView a = ViewOf(*this, self.frame), b = ViewOf(other, placed.frame);
  const int32_t left = std::max(self.box.left, placed.box.left), right = std::min(self.box.right, placed.box.right);
  const int32_t top = std::max(self.box.top, placed.box.top), bottom = std::min(self.box.bottom, placed.box.bottom);
  if (left > right || top > bottom) return false;

  const float ax = 1.0f / self.xscale, ay = 1.0f / self.yscale;
  const float bx = 1.0f / placed.xscale, by = 1.0f / placed.yscale;
  const bool unrotated = self.angle == 0.0f && placed.angle == 0.0f;
  const bool unscaled = unrotated && ax == 1.0f && ay == 1.0f && bx == 1.0f && by == 1.0f;
  const Rotation ra(self.angle), rb(placed.angle);

  auto map = [&](const MaskView& mask, const SpritePlacement& p, const Rotation& rot, float inverseX,
                 float inverseY, int32_t px, int32_t py, int32_t& mx, int32_t& my) {
    if (unscaled) {
      int64_t x = int64_t{px} - p.x + mask.xOrigin, y = int64_t{py} - p.y + mask.yOrigin;
      mx = x >= 0 && x < mask.width ? static_cast<int32_t>(x) : -1;
      my = y >= 0 && y < mask.height ? static_cast<int32_t>(y) : -1;
      return;
    }
    float dx = static_cast<float>(int64_t{px} - p.x), dy = static_cast<float>(int64_t{py} - p.y);
    float fx, fy;
    if (unrotated) {
      fx = dx * inverseX + static_cast<float>(mask.xOrigin);
      fy = dy * inverseY + static_cast<float>(mask.yOrigin);
    } else {
      fx = (dx * rot.c + dy * rot.s) * inverseX + static_cast<float>(mask.xOrigin);
      fy = (dy * rot.c - dx * rot.s) * inverseY + static_cast<float>(mask.yOrigin);
    }
    mx = TruncIndex(fx, mask.width);
    my = TruncIndex(fy, mask.height);
  };

  for (int64_t x = left; x <= right; ++x)
    for (int64_t y = top; y <= bottom; ++y) {
      const int32_t px = static_cast<int32_t>(x), py = static_cast<int32_t>(y);
      int32_t mx, my;
      map(a, self, ra, ax, ay, px, py, mx, my);
      if (!a.Solid(mx, my)) continue;
      map(b, placed, rb, bx, by, px, py, mx, my);
      if (b.Solid(mx, my)) return true;
    }
  return false;
}

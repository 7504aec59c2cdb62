#include "runner/instance.h"

#include <algorithm>
#include <cmath>

#include "data/objects.h"
#include "platform/conversions.h"
#include "runner/instance_id_map.h"
#include "runner/instance_list.h"
#include "runner/instance_pool.h"

uint64_t EventSerial = 0;

void* CInstance::operator new(std::size_t size) { return InstancePool_Allocate(size); }
void CInstance::operator delete(void* block, std::size_t size) noexcept { InstancePool_Free(block, size); }

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kSnap = 0.0001f;

InstanceIdMap& IdHash() {
  static InstanceIdMap map;
  return map;
}

int32_t g_LastId = 100000;

InstanceSpriteLookup& SpriteLookup() {
  static InstanceSpriteLookup lookup;
  return lookup;
}

InstancePathAccess& PathAccess() {
  static InstancePathAccess access;
  return access;
}

// The length of an existing path with a length above 0.
bool PathLength(int32_t path, float& length) {
  const auto& access = PathAccess();
  if (path < 0 || !access.length || !access.point || !access.length(path, length)) return false;
  return length > 0.0f;
}

void PathPoint(int32_t path, float position, float& x, float& y, float& speed) {
  x = y = 0.0f;
  speed = 100.0f;
  PathAccess().point(path, position, x, y, speed);
}

bool LookUpSprite(int32_t sprite, InstanceSpriteShape& shape) {
  const auto& lookup = SpriteLookup();
  return sprite >= 0 && lookup && lookup(sprite, shape);
}

// Values within 0.0001 of an integer become that integer.
float Snap(float value) {
  const float nearest = std::nearbyint(value);
  return std::fabs(value - nearest) < kSnap ? nearest : value;
}

int32_t Round(float value) { return Conv_RoundToInt32(value); }
int32_t Trunc(float value) { return Conv_TruncToInt32(value); }

}  // namespace

CInstance::CInstance(float x_, float y_, int32_t id_, int32_t objectIndex, bool join)
    : createSerial(EventSerial) {
  alarm.fill(-1);
  ChangeObject(objectIndex, join);
  x = x_;
  y = y_;
  id = id_;
  xstart = xprevious = x_;
  ystart = yprevious = y_;
}

// An instance never stays in its object's lists or in the id map after it is gone.
CInstance::~CInstance() {
  if (gridEntry.grid != nullptr) gridEntry.grid->Remove(*this);
  if (object != nullptr) object->RemoveInstance(this);
  Instance_IdHash_Remove(*this);
}

void CInstance::ChangeObject(int32_t index, bool join) {
  if (object != nullptr) object->RemoveInstance(this);
  object_index = index == -1 ? 0 : index;
  object = Object_Data(object_index);
  if (object == nullptr) return;
  if (join) object->AddInstance(this);
  mask_index = object->maskIndex;
  depth = static_cast<float>(object->depth);
  // The instance keeps its place in the room's list under its new depth.
  if (indexedDepth && !(depth == listedDepth)) ++InstanceList_DepthDrift;
  solid = object->IsSolid();
  visible = object->IsVisible();
  persistent = object->IsPersistent();
  sprite_index = object->spriteIndex;
  if (Trunc(image_index) >= GetImageNumber()) image_index = 0.0f;
  MarkBoxDirty();
}

void CInstance::Assign(const CInstance& other, bool join) {
  if (object != nullptr) object->RemoveInstance(this);
  carried = false;
  id = other.id;
  sprite_index = other.sprite_index;
  image_index = other.image_index;
  image_speed = other.image_speed;
  image_xscale = other.image_xscale;
  image_yscale = other.image_yscale;
  image_angle = other.image_angle;
  image_alpha = other.image_alpha;
  image_blend = other.image_blend;
  mask_index = other.mask_index;
  depth = other.depth;
  precise = other.precise;
  x = other.x;
  y = other.y;
  xstart = other.xstart;
  ystart = other.ystart;
  xprevious = other.xprevious;
  yprevious = other.yprevious;
  direction = other.direction;
  speed = other.speed;
  friction = other.friction;
  gravity_direction = other.gravity_direction;
  gravity = other.gravity;
  hspeed = other.hspeed;
  vspeed = other.vspeed;
  bboxDirty = other.bboxDirty;
  bbox_left = other.bbox_left;
  bbox_top = other.bbox_top;
  bbox_right = other.bbox_right;
  bbox_bottom = other.bbox_bottom;
  if (gridEntry.grid != nullptr) {
    if (bboxDirty) gridEntry.grid->Queue(*this); else gridEntry.grid->Place(*this);
  }
  visible = other.visible;
  solid = other.solid;
  persistent = other.persistent;
  object_index = other.object_index;
  object = other.object;
  if (join && object != nullptr) object->AddInstance(this);
  alarm = other.alarm;
  variables->CopyFrom(*other.variables);
  marked = other.marked;
  if (marked) ++Instance_MarkCount;
  deactivated = other.deactivated;
  path_index = other.path_index;
  path_position = other.path_position;
  path_positionprevious = other.path_positionprevious;
  path_speed = other.path_speed;
  path_scale = other.path_scale;
  path_orientation = other.path_orientation;
  path_endaction = other.path_endaction;
  timeline_index = other.timeline_index;
  timeline_position = other.timeline_position;
  timeline_speed = other.timeline_speed;
  timeline_running = other.timeline_running;
  timeline_loop = other.timeline_loop;
  creationCode = other.creationCode;
}

// ---- motion ----

void CInstance::ComputeSpeedFromDirection() {
  const float a = direction * kPi / 180.0f;
  hspeed = Snap(std::cos(a) * speed);
  vspeed = Snap(-(std::sin(a) * speed));
  MarkBoxDirty();
}

void CInstance::ComputeDirectionFromSpeeds() {
  if (hspeed == 0.0f) {
    direction = vspeed > 0.0f ? 270.0f : vspeed < 0.0f ? 90.0f : 0.0f;
  } else {
    const float g = std::atan2(vspeed, hspeed) * 180.0f / kPi;
    direction = g > 0.0f ? 360.0f - g : -g;
    direction = std::fmod(Snap(direction), 360.0f);
  }
  speed = Snap(std::sqrt(hspeed * hspeed + vspeed * vspeed));
  MarkBoxDirty();
}

void CInstance::SetDirection(float d) {
  // Far outside one turn the steps of 360 no longer change the value: take the remainder.
  if (!(std::fabs(d) < 1.0e6f)) d = std::fmod(d, 360.0f);
  while (d < 0.0f) d += 360.0f;
  while (d > 360.0f) d -= 360.0f;
  direction = std::fmod(d, 360.0f);
  ComputeSpeedFromDirection();
}

void CInstance::SetSpeed(float s) {
  if (s == speed) return;
  speed = s;
  ComputeSpeedFromDirection();
}

void CInstance::SetHSpeed(float h) {
  if (h == hspeed) return;
  hspeed = h;
  ComputeDirectionFromSpeeds();
}

void CInstance::SetVSpeed(float v) {
  if (v == vspeed) return;
  vspeed = v;
  ComputeDirectionFromSpeeds();
}

void CInstance::AddMotion(float dir, float s) {
  const float a = dir * kPi / 180.0f;
  hspeed += std::cos(a) * s;
  vspeed -= std::sin(a) * s;
  ComputeDirectionFromSpeeds();
}

void CInstance::SetPosition(float x_, float y_) {
  x = x_;
  y = y_;
  MarkBoxDirty();
}

void CInstance::SetSpriteIndex(int32_t sprite) {
  sprite_index = sprite;
  if (Trunc(image_index) >= GetImageNumber()) image_index = 0.0f;
  // The box follows the sprite when there is no mask.
  MarkBoxDirty();
}

void CInstance::SetMaskIndex(int32_t mask) {
  if (mask == mask_index) return;
  mask_index = mask;
  MarkBoxDirty();
}

void CInstance::SetImageXScale(float scale) {
  image_xscale = scale;
  MarkBoxDirty();
}

void CInstance::SetImageYScale(float scale) {
  image_yscale = scale;
  MarkBoxDirty();
}

void CInstance::SetImageAngle(float angle) {
  image_angle = angle;
  MarkBoxDirty();
}

int32_t CInstance::GetAlarm(int32_t index) const {
  return index >= 0 && index < kAlarmCount ? alarm[static_cast<size_t>(index)] : -1;
}

void CInstance::SetAlarm(int32_t index, int32_t value) {
  if (index >= 0 && index < kAlarmCount) alarm[static_cast<size_t>(index)] = value;
}

void CInstance::SetPathPosition(float position) { path_position = std::clamp(position, 0.0f, 1.0f); }

void CInstance::SetPathPositionPrevious(float position) {
  path_positionprevious = std::clamp(position, 0.0f, 1.0f);
}

int32_t CInstance::GetImageNumber() const {
  InstanceSpriteShape shape;
  return LookUpSprite(sprite_index, shape) ? shape.frames : 0;
}

// ---- paths ----

namespace {
// (dx, dy) turned by the path's orientation and scaled.
void Orient(float dx, float dy, float angle, float scale, float& ox, float& oy) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  ox = (c * dx + s * dy) * scale;
  oy = (c * dy - s * dx) * scale;
}
}  // namespace

void CInstance::StartPath(int32_t path, float speed_, float scale, float orientation, bool relative,
                          int32_t endAction) {
  float length = 0.0f;
  if (path == -1 || scale < 0.0f || !PathLength(path, length)) {
    path_index = -1;
    return;
  }
  path_index = path;
  path_speed = speed_;
  path_scale = scale;
  path_orientation = orientation;
  path_endaction = endAction;
  path_position = speed_ < 0.0f ? 1.0f : 0.0f;
  path_positionprevious = path_position;
  float x0, y0, xp, yp, f;
  PathPoint(path, 0.0f, x0, y0, f);
  PathPoint(path, path_position, xp, yp, f);
  if (!relative) SetPosition(xp, yp);
  float ox, oy;
  Orient(xp - x0, yp - y0, orientation * kPi / 180.0f, scale, ox, oy);
  pathOffsetX = x - ox;
  pathOffsetY = y - oy;
}

bool CInstance::PathStep() {
  float length = 0.0f;
  if (!PathLength(path_index, length)) return false;
  const float a = path_orientation * kPi / 180.0f;
  float px, py, factor;
  PathPoint(path_index, path_position, px, py, factor);
  path_position += path_speed * (factor / (100.0f * path_scale)) / length;

  bool ended = false;
  if (path_position >= 1.0f || path_position <= 0.0f) {
    ended = true;
    switch (path_endaction) {
      case 1:
        path_position += path_position < 0.0f ? 1.0f : -1.0f;
        break;
      case 2: {
        float x0, y0, x1, y1, f;
        PathPoint(path_index, 0.0f, x0, y0, f);
        PathPoint(path_index, 1.0f, x1, y1, f);
        float ox, oy;
        Orient(x1 - x0, y1 - y0, a, path_scale, ox, oy);
        if (path_position < 0.0f) {
          pathOffsetX -= ox;
          pathOffsetY -= oy;
          path_position += 1.0f;
        } else {
          pathOffsetX += ox;
          pathOffsetY += oy;
          path_position -= 1.0f;
        }
        break;
      }
      case 3:
        if (path_position < 0.0f) {
          path_position = -path_position;
          path_speed = std::fabs(path_speed);
        } else {
          path_position = 2.0f - path_position;
          path_speed = -std::fabs(path_speed);
        }
        break;
      default:
        path_position = 1.0f;
        break;
    }
  }
  // The position is read before a stop clears the path.
  float x0, y0, xp, yp, f;
  PathPoint(path_index, 0.0f, x0, y0, f);
  PathPoint(path_index, path_position, xp, yp, f);
  if (ended && path_endaction != 1 && path_endaction != 2 && path_endaction != 3) path_index = -1;
  float ox, oy;
  Orient(xp - x0, yp - y0, a, path_scale, ox, oy);
  const float nx = ox + pathOffsetX;
  const float ny = oy + pathOffsetY;

  SetHSpeed(nx - x);
  SetVSpeed(ny - y);
  // Motion comes from the path alone: the speeds go, the direction of the move stays.
  if (speed != 0.0f) SetSpeed(0.0f);
  if (nx != x || ny != y) SetPosition(nx, ny);
  return ended;
}

// ---- bounding box ----

void CInstance::Compute_BoundingBox() {
  InstanceSpriteShape s;
  if (!LookUpSprite(ShapeSprite(), s)) {
    precise = false;
    bbox_left = bbox_top = bbox_right = bbox_bottom = kNoBoundingBox;
    bboxDirty = false;
    if (gridEntry.grid != nullptr) gridEntry.grid->Place(*this);
    return;
  }
  if (image_angle == 0.0f) {
    bbox_left = Round(static_cast<float>(s.left - s.xorigin) * image_xscale + x);
    bbox_right = Round(static_cast<float>(s.right - s.xorigin + 1) * image_xscale + x - 1.0f);
    if (bbox_left > bbox_right) std::swap(bbox_left, bbox_right);
    bbox_top = Round(static_cast<float>(s.top - s.yorigin) * image_yscale + y);
    bbox_bottom = Round(static_cast<float>(s.bottom - s.yorigin + 1) * image_yscale + y - 1.0f);
    if (bbox_top > bbox_bottom) std::swap(bbox_top, bbox_bottom);
  } else {
    const float xa = static_cast<float>(std::min(s.left, s.right) - s.xorigin) * image_xscale;
    const float xb = static_cast<float>(std::max(s.left, s.right) - s.xorigin + 1) * image_xscale - 1.0f;
    const float ya = static_cast<float>(std::min(s.top, s.bottom) - s.yorigin) * image_yscale;
    const float yb = static_cast<float>(std::max(s.top, s.bottom) - s.yorigin + 1) * image_yscale - 1.0f;
    const float a = image_angle * kPi / 180.0f;
    const float c = std::cos(a);
    const float sn = std::sin(a);
    bbox_left = Trunc(x + std::min(c * xa, c * xb) + std::min(sn * ya, sn * yb));
    bbox_right = Trunc(x + std::max(c * xa, c * xb) + std::max(sn * ya, sn * yb));
    bbox_top = Trunc(y + std::min(c * ya, c * yb) - std::max(sn * xa, sn * xb));
    bbox_bottom = Trunc(y + std::max(c * ya, c * yb) - std::min(sn * xa, sn * xb));
  }
  precise = s.precise;
  bboxDirty = false;
  if (gridEntry.grid != nullptr) gridEntry.grid->Place(*this);
}

// ---- collisions ----

namespace {

// The instance's shape sprite has frames to test against.
bool HasShape(const CInstance& instance, InstanceSpriteShape& shape) {
  return LookUpSprite(instance.ShapeSprite(), shape) && shape.frames > 0;
}

bool BoxOverlapsRect(const CInstance& i, int32_t l, int32_t t, int32_t r, int32_t b) {
  return !(r < i.bbox_left || l > i.bbox_right || b < i.bbox_top || t > i.bbox_bottom);
}

void Order(int32_t& a, int32_t& b) {
  if (a > b) std::swap(a, b);
}

// Whether the point lies in the ellipse inscribed in [l, r] x [t, b] (integer centre and half
// axes). A zero half axis leaves only the centre line of that axis inside.
bool InEllipse(double px, double py, int32_t l, int32_t t, int32_t r, int32_t b) {
  const int32_t cx = static_cast<int32_t>((int64_t{l} + r) / 2);
  const int32_t cy = static_cast<int32_t>((int64_t{t} + b) / 2);
  const int32_t hx = static_cast<int32_t>((int64_t{r} - l) / 2);
  const int32_t hy = static_cast<int32_t>((int64_t{b} - t) / 2);
  auto term = [](double d, int32_t h) {
    if (h == 0) return d == 0.0 ? 0.0 : 2.0;
    const double q = d / h;
    return q * q;
  };
  return term(px - cx, hx) + term(py - cy, hy) <= 1.0;
}

// Whether the segment meets the closed box [l, r] x [t, b] (clipping by its parameter).
bool SegmentMeetsBox(double x1, double y1, double x2, double y2, double l, double t, double r,
                     double b) {
  double t0 = 0.0;
  double t1 = 1.0;
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  auto clip = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    const double u = q / p;
    if (p < 0.0) {
      if (u > t1) return false;
      t0 = std::max(t0, u);
    } else {
      if (u < t0) return false;
      t1 = std::min(t1, u);
    }
    return true;
  };
  return clip(-dx, x1 - l) && clip(dx, r - x1) && clip(-dy, y1 - t) && clip(dy, b - y1) && t0 <= t1;
}

}  // namespace

bool CInstance::Collision_Point(float px, float py, bool precise_) {
  EnsureBoundingBox();
  if (px < static_cast<float>(bbox_left) || px >= static_cast<float>(bbox_right) + 1.0f ||
      py < static_cast<float>(bbox_top) || py >= static_cast<float>(bbox_bottom) + 1.0f || marked) {
    return false;
  }
  InstanceSpriteShape shape;
  if (!HasShape(*this, shape)) return false;
  if (!precise_ || !shape.precise || !Instance_PreciseTests().point) return true;
  return Instance_PreciseTests().point(*this, Round(px), Round(py));
}

bool CInstance::Collision_Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool precise_) {
  if (marked) return false;
  EnsureBoundingBox();
  Order(x1, x2);
  Order(y1, y2);
  if (!BoxOverlapsRect(*this, x1, y1, x2, y2)) return false;
  InstanceSpriteShape shape;
  if (!HasShape(*this, shape)) return false;
  if (!precise_ || !shape.precise || !Instance_PreciseTests().rectangle) return true;
  return Instance_PreciseTests().rectangle(*this, x1, y1, x2, y2);
}

bool CInstance::Collision_Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool precise_) {
  if (marked) return false;
  EnsureBoundingBox();
  Order(x1, x2);
  Order(y1, y2);
  if (!BoxOverlapsRect(*this, x1, y1, x2, y2)) return false;
  // The point of the box nearest the ellipse's centre decides.
  const double cx = static_cast<double>((int64_t{x1} + x2) / 2);
  const double cy = static_cast<double>((int64_t{y1} + y2) / 2);
  const double nx = std::clamp(cx, static_cast<double>(bbox_left), static_cast<double>(bbox_right));
  const double ny = std::clamp(cy, static_cast<double>(bbox_top), static_cast<double>(bbox_bottom));
  if (!InEllipse(nx, ny, x1, y1, x2, y2)) return false;
  InstanceSpriteShape shape;
  if (!HasShape(*this, shape)) return false;
  if (!precise_ || !shape.precise || !Instance_PreciseTests().ellipse) return true;
  return Instance_PreciseTests().ellipse(*this, x1, y1, x2, y2);
}

bool CInstance::Collision_Line(float x1, float y1, float x2, float y2, bool precise_) {
  if (marked) return false;
  EnsureBoundingBox();
  if (!SegmentMeetsBox(x1, y1, x2, y2, bbox_left, bbox_top, bbox_right, bbox_bottom)) return false;
  InstanceSpriteShape shape;
  if (!HasShape(*this, shape)) return false;
  if (!precise_ || !shape.precise || !Instance_PreciseTests().line) return true;
  return Instance_PreciseTests().line(*this, x1, y1, x2, y2);
}

bool CInstance::Collision_Instance(CInstance& other, bool precise_) {
  if (&other == this || marked || other.marked) return false;
  EnsureBoundingBox();
  other.EnsureBoundingBox();
  if (!(other.bbox_left < bbox_right + 1 && other.bbox_right + 1 > bbox_left &&
        other.bbox_top < bbox_bottom + 1 && other.bbox_bottom + 1 > bbox_top)) {
    return false;
  }
  InstanceSpriteShape mine;
  InstanceSpriteShape theirs;
  if (!HasShape(*this, mine) || !HasShape(other, theirs)) return false;
  if (!precise_ || !(mine.precise || theirs.precise) || !Instance_PreciseTests().instance) return true;
  return Instance_PreciseTests().instance(*this, other);
}

// ---- tables ----

void Instance_SetSpriteLookup(InstanceSpriteLookup lookup) { SpriteLookup() = std::move(lookup); }

void Instance_SetPathAccess(InstancePathAccess access) { PathAccess() = std::move(access); }

InstancePreciseTests& Instance_PreciseTests() {
  static InstancePreciseTests tests;
  return tests;
}

int32_t Instance_GetLastId() { return g_LastId; }
void Instance_SetLastId(int32_t id) { g_LastId = id; }

std::unique_ptr<CInstance> Instance_Create(float x, float y, int32_t objectIndex) {
  ++g_LastId;
  auto instance = std::make_unique<CInstance>(x, y, g_LastId, objectIndex, true);
  Instance_IdHash_Add(*instance);
  return instance;
}

uint64_t Instance_MarkCount = 0;

void Instance_MarkForDeletion(CInstance& instance) {
  instance.marked = true;
  ++Instance_MarkCount;
}

void Instance_IdHash_Add(CInstance& instance) { IdHash().Add(instance); }

void Instance_IdHash_Remove(const CInstance& instance) { IdHash().Remove(instance); }

CInstance* Instance_Find(int32_t id) { return IdHash().Find(id); }

int32_t Instance_IdHash_Count() { return IdHash().Count(); }

void Instance_DeleteAll() { IdHash().Clear(); }

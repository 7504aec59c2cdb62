#include "functions/motion_functions.h"

#include <cmath>

#include "data/objects.h"
#include "data/paths.h"
#include "data/sprite.h"
#include "functions/argument_helpers.h"
#include "platform/conversions.h"
#include "platform/random.h"
#include "runner/commands.h"
#include "runner/instance.h"
#include "runner/motion_planning.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

constexpr int32_t kSelf = -1;
constexpr int32_t kOther = -2;
constexpr double kFar = 1000000.0;

// -1 and -2 name the calling and the other instance by id when there is one.
int32_t SelectorWithIds(int32_t obj, const CInstance* self, const CInstance* other) {
  if (obj == kSelf && self != nullptr) return self->id;
  if (obj == kOther && other != nullptr) return other->id;
  return obj;
}

double Truth(bool value) { return value ? 1.0 : 0.0; }

// The path a planner fills; null after the report when it does not exist.
CPath* PlannedPath(const ScriptValue& arg) {
  CPath* path = Path_Data(Arg_Rounded(arg));
  if (path == nullptr) Error_Show_Action("Trying to assign to a non-existing path.", false);
  return path;
}

// Distance between two instances' bounding boxes.
double BBoxDistance(CInstance* target, CInstance& self) {
  if (target == nullptr || target == &self || target->marked) return kFar;
  target->EnsureBoundingBox();
  self.EnsureBoundingBox();
  int64_t dx = 0;
  int64_t dy = 0;
  if (target->bbox_left > self.bbox_right) dx = int64_t{target->bbox_left} - self.bbox_right;
  if (target->bbox_right < self.bbox_left) dx = int64_t{target->bbox_right} - self.bbox_left;
  if (target->bbox_top > self.bbox_bottom) dy = int64_t{target->bbox_top} - self.bbox_bottom;
  if (target->bbox_bottom < self.bbox_top) dy = int64_t{target->bbox_bottom} - self.bbox_top;
  // Boxes at opposite ends of the 32-bit range square beyond 64 bits: the sum is taken as a real.
  const double ddx = static_cast<double>(dx);
  const double ddy = static_cast<double>(dy);
  return static_cast<float>(std::sqrt(ddx * ddx + ddy * ddy));
}

}  // namespace

void Motion_MoveRandom(CInstance& self, int32_t hsnap, int32_t vsnap, int32_t tries) {
  int32_t width = 0;
  int32_t height = 0;
  Command_RoomSize(width, height);
  int32_t xmin = 0, xmax = width, ymin = 0, ymax = height;
  if (Sprite_Exists(self.sprite_index) || Sprite_Exists(self.mask_index)) {
    self.EnsureBoundingBox();
    xmin = Conv_RoundToInt32(self.x - static_cast<float>(self.bbox_left));
    xmax = Conv_RoundToInt32(static_cast<float>(width) + self.x - static_cast<float>(self.bbox_right));
    ymin = Conv_RoundToInt32(self.y - static_cast<float>(self.bbox_top));
    ymax = Conv_RoundToInt32(static_cast<float>(height) + self.y - static_cast<float>(self.bbox_bottom));
  }
  // No place keeps the instance inside the room: it stays where it is.
  const int64_t xrange = int64_t{xmax} - xmin;
  const int64_t yrange = int64_t{ymax} - ymin;
  if (xrange <= 0 || yrange <= 0 || xrange > INT32_MAX || yrange > INT32_MAX) return;
  for (int32_t attempt = 0; attempt < tries; ++attempt) {
    float x = static_cast<float>(xmin + Random_Below(static_cast<int32_t>(xrange)));
    if (hsnap > 0) x = std::floor(x / static_cast<float>(hsnap)) * static_cast<float>(hsnap);
    float y = static_cast<float>(ymin + Random_Below(static_cast<int32_t>(yrange)));
    if (vsnap > 0) y = std::floor(y / static_cast<float>(vsnap)) * static_cast<float>(vsnap);
    if (Command_IsFree(self, x, y)) {
      self.SetPosition(x, y);
      return;
    }
  }
}

void F_MoveRandom(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self != nullptr) Motion_MoveRandom(*self, Arg_Rounded(args[0]), Arg_Rounded(args[1]), 100);
}

void F_PlaceFree(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self != nullptr) result.SetReal(Truth(Command_IsFree(*self, Arg_Single(args[0]), Arg_Single(args[1]))));
}

void F_PlaceEmpty(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self != nullptr) result.SetReal(Truth(Command_IsEmpty(*self, Arg_Single(args[0]), Arg_Single(args[1]))));
}

void F_PlaceMeeting(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  if (self == nullptr) return;
  const int32_t obj = SelectorWithIds(Arg_Rounded(args[2]), self, other);
  result.SetReal(Truth(Command_IsMeeting(*self, Arg_Single(args[0]), Arg_Single(args[1]), obj)));
}

void F_PlaceSnapped(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  auto snapped = [](float v, int32_t snap) {
    if (snap <= 0) return true;
    const double n = std::nearbyint(static_cast<double>(v) / snap);
    return std::fabs(static_cast<double>(v) - n * snap) < 0.001;
  };
  result.SetReal(Truth(snapped(self->x, Arg_Rounded(args[0])) && snapped(self->y, Arg_Rounded(args[1]))));
}

void F_MoveSnap(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self != nullptr) Command_MoveSnap(*self, Arg_Rounded(args[0]), Arg_Rounded(args[1]));
}

void F_MoveTowardsPoint(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self != nullptr) Command_MoveTowardsPoint(*self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]));
}

template <bool All>
void F_MoveBounce(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self != nullptr) Command_Bounce(*self, Arg_Flag(args[0]), All);
}

void F_MoveContact(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  const float direction = Arg_Single(args[0]);
  if (Command_IsFree(*self, self->x, self->y)) {
    Command_MoveContact(*self, direction, -1.0f, false);
  } else {
    Command_MoveOutside(*self, direction, -1.0f, false);
  }
}

template <bool Outside, bool All>
void F_MoveContactOrOutside(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  const float direction = Arg_Single(args[0]);
  const float maxdist = Arg_Single(args[1]);
  if (Outside) {
    Command_MoveOutside(*self, direction, maxdist, All);
  } else {
    Command_MoveContact(*self, direction, maxdist, All);
  }
}

void F_MoveWrap(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  int32_t width = 0;
  int32_t height = 0;
  Command_RoomSize(width, height);
  const float margin = Arg_Single(args[2]);
  if (Arg_Flag(args[0])) {
    const float w = static_cast<float>(width);
    if (self->x < -margin) self->SetPosition(self->x + w + 2.0f * margin, self->y);
    if (self->x > w + margin) self->SetPosition(self->x - w - 2.0f * margin, self->y);
  }
  if (Arg_Flag(args[1])) {
    const float h = static_cast<float>(height);
    if (self->y < -margin) self->SetPosition(self->x, self->y + h + 2.0f * margin);
    if (self->y > h + margin) self->SetPosition(self->x, self->y - h - 2.0f * margin);
  }
}

void F_MotionSet(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  self->SetDirection(Arg_Single(args[0]));
  self->SetSpeed(Arg_Single(args[1]));
}

void F_MotionAdd(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self != nullptr) self->AddMotion(Arg_Single(args[0]), Arg_Single(args[1]));
}

void F_DistanceToPoint(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  self->EnsureBoundingBox();
  const double x = Arg_Real(args[0]);
  const double y = Arg_Real(args[1]);
  double dx = 0.0;
  double dy = 0.0;
  if (x > self->bbox_right) dx = x - self->bbox_right;
  if (x < self->bbox_left) dx = x - self->bbox_left;
  if (y > self->bbox_bottom) dy = y - self->bbox_bottom;
  if (y < self->bbox_top) dy = y - self->bbox_top;
  result.SetReal(std::sqrt(dx * dx + dy * dy));
}

void F_DistanceToObject(ScriptValue& result, CInstance* self, CInstance* other, int, ScriptValue* args) {
  result.SetReal(kFar);
  if (self == nullptr) return;
  const int32_t obj = Arg_Truncated(args[0]);
  double best = kFar;
  auto consider = [&](CInstance* target) { best = std::fmin(best, BBoxDistance(target, *self)); };
  if (obj == kOther) {
    consider(other);
  } else if (obj == kSelectAll || obj >= kFirstInstanceId || obj >= 0) {
    Command_ForEachSelected(obj, [&](CInstance& instance) {
      consider(&instance);
      return true;
    });
  }
  result.SetReal(best);
}

void F_PathStart(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  self->StartPath(Arg_Rounded(args[0]), Arg_Single(args[1]), 1.0f, 0.0f, !Arg_FlagSingle(args[3]),
                  Arg_Rounded(args[2]));
}

void F_PathEnd(ScriptValue&, CInstance* self, CInstance*, int, ScriptValue*) {
  if (self != nullptr) self->StartPath(-1, 0.0f, 1.0f, 0.0f, false, 0);
}

// mp_linear_step / mp_potential_step with all instances, and their _object forms.
template <bool Potential, bool ByObject>
void F_MPStep(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  if (self == nullptr) return;
  const int32_t object = ByObject ? Arg_Rounded(args[3]) : kSelectAll;
  const bool checkall = ByObject ? true : Arg_Flag(args[3]);
  auto step = Potential ? MP_PotentialStep : MP_LinearStep;
  result.SetReal(Truth(step(*self, Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]), object, checkall)));
}

void F_MPPotentialSettings(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  MP_PotentialSettings(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]), Arg_Flag(args[3]));
}

template <bool ByObject>
void F_MPLinearPath(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  CPath* path = PlannedPath(args[0]);
  if (path == nullptr || self == nullptr) return;
  const int32_t object = ByObject ? Arg_Rounded(args[4]) : kSelectAll;
  const bool checkall = ByObject ? true : Arg_Flag(args[4]);
  result.SetReal(Truth(MP_LinearPath(*self, *path, Arg_Single(args[1]), Arg_Single(args[2]), Arg_Single(args[3]),
                                     object, checkall)));
}

template <bool ByObject>
void F_MPPotentialPath(ScriptValue& result, CInstance* self, CInstance*, int, ScriptValue* args) {
  CPath* path = PlannedPath(args[0]);
  if (path == nullptr || self == nullptr) return;
  const int32_t object = ByObject ? Arg_Rounded(args[5]) : kSelectAll;
  const bool checkall = ByObject ? true : Arg_Flag(args[5]);
  result.SetReal(Truth(MP_PotentialPath(*self, *path, Arg_Single(args[1]), Arg_Single(args[2]), Arg_Single(args[3]),
                                        Arg_Single(args[4]), object, checkall)));
}

void F_MPGridCreate(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(MPGrid_Create(Arg_Rounded(args[0]), Arg_Rounded(args[1]), Arg_Rounded(args[2]), Arg_Rounded(args[3]),
                               Arg_Rounded(args[4]), Arg_Rounded(args[5])));
}

void F_MPGridDestroy(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) { MPGrid_Destroy(Arg_Rounded(args[0])); }
void F_MPGridClearAll(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) { MPGrid_ClearAll(Arg_Rounded(args[0])); }

void F_MPGridClearCell(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  MPGrid_ClearCell(Arg_Rounded(args[0]), Arg_Rounded(args[1]), Arg_Rounded(args[2]));
}

void F_MPGridClearRectangle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  MPGrid_ClearRectangle(Arg_Rounded(args[0]), Arg_Rounded(args[1]), Arg_Rounded(args[2]), Arg_Rounded(args[3]),
                        Arg_Rounded(args[4]));
}

void F_MPGridAddCell(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  MPGrid_AddCell(Arg_Rounded(args[0]), Arg_Rounded(args[1]), Arg_Rounded(args[2]));
}

void F_MPGridAddRectangle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  MPGrid_AddRectangle(Arg_Rounded(args[0]), Arg_Rounded(args[1]), Arg_Rounded(args[2]), Arg_Rounded(args[3]),
                      Arg_Rounded(args[4]));
}

void F_MPGridAddInstances(ScriptValue&, CInstance* self, CInstance* other, int, ScriptValue* args) {
  const int32_t obj = Arg_Rounded(args[1]);
  if (obj == kSelf || obj == kOther) {
    CInstance* instance = obj == kSelf ? self : other;
    if (instance != nullptr) MPGrid_AddInstances(Arg_Rounded(args[0]), *instance, Arg_Flag(args[2]));
    return;
  }
  const int32_t grid = Arg_Truncated(args[0]);
  const bool precise = Arg_FlagSingle(args[2]);
  Command_ForEachSelected(obj, [&](CInstance& instance) {
    MPGrid_AddInstances(grid, instance, precise);
    return true;
  });
}

void F_MPGridPath(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  CPath* path = PlannedPath(args[1]);
  if (path == nullptr) return;
  result.SetReal(Truth(MPGrid_FindPath(Arg_Rounded(args[0]), *path, Arg_Rounded(args[2]), Arg_Rounded(args[3]),
                                       Arg_Rounded(args[4]), Arg_Rounded(args[5]), Arg_Flag(args[6]))));
}

void F_MPGridDraw(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) { MPGrid_Draw(Arg_Rounded(args[0])); }

namespace {
struct MotionBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr MotionBuiltin kMotionBuiltins[] = {
    {"move_random", F_MoveRandom, 2},
    {"place_free", F_PlaceFree, 2},
    {"place_empty", F_PlaceEmpty, 2},
    {"place_meeting", F_PlaceMeeting, 3},
    {"place_snapped", F_PlaceSnapped, 2},
    {"move_snap", F_MoveSnap, 2},
    {"move_towards_point", F_MoveTowardsPoint, 3},
    {"move_bounce_solid", F_MoveBounce<false>, 1},
    {"move_bounce", F_MoveBounce<false>, 1},
    {"move_bounce_all", F_MoveBounce<true>, 1},
    {"move_contact", F_MoveContact, 1},
    {"move_contact_solid", F_MoveContactOrOutside<false, false>, 2},
    {"move_contact_all", F_MoveContactOrOutside<false, true>, 2},
    {"move_outside_solid", F_MoveContactOrOutside<true, false>, 2},
    {"move_outside_all", F_MoveContactOrOutside<true, true>, 2},
    {"move_wrap", F_MoveWrap, 3},
    {"motion_set", F_MotionSet, 2},
    {"motion_add", F_MotionAdd, 2},
    {"distance_to_point", F_DistanceToPoint, 2},
    {"distance_to_object", F_DistanceToObject, 1},
    {"path_start", F_PathStart, 4},
    {"path_end", F_PathEnd, 0},
    {"mp_linear_step", F_MPStep<false, false>, 4},
    {"mp_potential_step", F_MPStep<true, false>, 4},
    {"mp_linear_step_object", F_MPStep<false, true>, 4},
    {"mp_potential_step_object", F_MPStep<true, true>, 4},
    {"mp_potential_settings", F_MPPotentialSettings, 4},
    {"mp_linear_path", F_MPLinearPath<false>, 5},
    {"mp_potential_path", F_MPPotentialPath<false>, 6},
    {"mp_linear_path_object", F_MPLinearPath<true>, 5},
    {"mp_potential_path_object", F_MPPotentialPath<true>, 6},
    {"mp_grid_create", F_MPGridCreate, 6},
    {"mp_grid_destroy", F_MPGridDestroy, 1},
    {"mp_grid_clear_all", F_MPGridClearAll, 1},
    {"mp_grid_clear_cell", F_MPGridClearCell, 3},
    {"mp_grid_clear_rectangle", F_MPGridClearRectangle, 5},
    {"mp_grid_add_cell", F_MPGridAddCell, 3},
    {"mp_grid_add_rectangle", F_MPGridAddRectangle, 5},
    {"mp_grid_add_instances", F_MPGridAddInstances, 3},
    {"mp_grid_path", F_MPGridPath, 7},
    {"mp_grid_draw", F_MPGridDraw, 1},
};
}  // namespace

void InitMotionFunctions() {
  for (const MotionBuiltin& builtin : kMotionBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}

#include "functions/path_timeline_functions.h"

#include "data/paths.h"
#include "data/timelines.h"
#include "functions/argument_helpers.h"
#include "platform/console.h"
#include "platform/conversions.h"
#include "script/error_report.h"
#include "script/function_table.h"

namespace {

// A few indices are narrowed to single precision before they are rounded.
int32_t NarrowRounded(const ScriptValue& value) { return Conv_RoundToInt32(Arg_Single(value)); }

void Report(const char* message) { Error_Show_Action(message, false); }

CPath* PathArg(const ScriptValue& value) { return Path_Data(Arg_Rounded(value)); }

// ---- reading ----

void F_PathExists(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetReal(Path_Exists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_PathName(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetString(Path_GetName(Arg_Rounded(a[0])));
}

enum class PathField { Length, Kind, Closed, Precision, Number };
template <PathField F>
void F_PathGet(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  const CPath* path = PathArg(a[0]);
  if (path == nullptr) {
    r.SetReal(-1);
    return;
  }
  switch (F) {
    case PathField::Length: r.SetReal(path->GetLength()); break;
    case PathField::Kind: r.SetReal(path->GetKind()); break;
    case PathField::Closed: r.SetReal(path->GetClosed() ? 1 : 0); break;
    case PathField::Precision: r.SetReal(path->GetPrecision()); break;
    case PathField::Number: r.SetReal(path->GetNumber()); break;
  }
}

enum class Coordinate { X, Y, Speed };
template <Coordinate C>
void F_PathGetPoint(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t index = C == Coordinate::X ? Arg_Rounded(a[0]) : NarrowRounded(a[0]);
  const CPath* path = Path_Data(index);
  if (path == nullptr) {
    r.SetReal(-1);
    return;
  }
  const PathPoint point = path->GetPoint(C == Coordinate::Speed ? NarrowRounded(a[1]) : Arg_Rounded(a[1]));
  r.SetReal(C == Coordinate::X ? point.x : C == Coordinate::Y ? point.y : point.speed);
}
template <Coordinate C>
void F_PathGetAt(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  const CPath* path = Path_Data(NarrowRounded(a[0]));
  if (path == nullptr) {
    r.SetReal(-1);
    return;
  }
  const PathPosition p = path->GetPosition(Arg_Single(a[1]));
  r.SetReal(C == Coordinate::X ? p.x : C == Coordinate::Y ? p.y : p.speed);
}

// ---- the table ----

void F_PathAdd(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { r.SetReal(Path_AddNew()); }
void F_PathDuplicate(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Path_Exists(index)) {
    Report("Trying to duplicate non-existing path.");
    return;
  }
  r.SetReal(Path_Duplicate(index));
}
void F_PathAssign(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (!Path_Assign(Arg_Rounded(a[0]), Arg_Rounded(a[1]))) Report("Error assigning a path.");
}
void F_PathAppend(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  CPath* path = Path_Data(NarrowRounded(a[0]));
  if (path == nullptr) {
    Report("Appending to non-existing path.");
    return;
  }
  const CPath* other = Path_Data(NarrowRounded(a[1]));
  if (other == nullptr) {
    Report("Appending a non-existing path.");
    return;
  }
  path->Append(other);
}
void F_PathDelete(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!Path_Exists(index)) {
    Report("Trying to delete non-existing path.");
    return;
  }
  r.SetReal(Path_Delete(index) ? 1 : 0);
}

// ---- edits: nothing for a missing path ----

void F_PathSetKind(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->SetKind(Arg_Rounded(a[1]));
}
void F_PathSetClosed(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->SetClosed(Arg_Flag(a[1]));
}
void F_PathSetPrecision(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->SetPrecision(Arg_Rounded(a[1]));
}
void F_PathAddPoint(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->AddPoint(Arg_Single(a[1]), Arg_Single(a[2]), Arg_Single(a[3]));
}
void F_PathInsertPoint(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) {
    path->InsertPoint(NarrowRounded(a[1]), Arg_Single(a[2]), Arg_Single(a[3]), Arg_Single(a[4]));
  }
}
void F_PathChangePoint(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) {
    path->ChangePoint(NarrowRounded(a[1]), Arg_Single(a[2]), Arg_Single(a[3]), Arg_Single(a[4]));
  }
}
void F_PathDeletePoint(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->DeletePoint(NarrowRounded(a[1]));
}
void F_PathClearPoints(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->Clear();
}
void F_PathReverse(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->Reverse();
}
void F_PathMirror(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->Mirror();
}
void F_PathFlip(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->Flip();
}
void F_PathRotate(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->Rotate(Arg_Single(a[1]));
}
void F_PathScale(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->Scale(Arg_Single(a[1]), Arg_Single(a[2]));
}
void F_PathShift(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CPath* path = PathArg(a[0])) path->Shift(Arg_Single(a[1]), Arg_Single(a[2]));
}

// ---- time lines ----

void F_TimeLineExists(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetReal(TimeLine_Exists(Arg_Rounded(a[0])) ? 1 : 0);
}
void F_TimeLineName(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetString(TimeLine_GetName(Arg_Rounded(a[0])));
}
void F_TimeLineAdd(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue*) { r.SetReal(TimeLine_Add()); }
void F_TimeLineDelete(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  const int32_t index = Arg_Rounded(a[0]);
  if (!TimeLine_Exists(index)) {
    Report("Trying to delete non-existing timeline.");
    return;
  }
  r.SetReal(TimeLine_Delete(index) ? 1 : 0);
}
void F_TimeLineMomentClear(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* a) {
  if (CTimeLine* line = TimeLine_Data(Arg_Rounded(a[0]))) line->ClearMoment(Arg_Rounded(a[1]));
}
void F_TimeLineMomentAdd(ScriptValue&, CInstance*, CInstance*, int, ScriptValue*) {
  g_DebugConsole->Output("timeline_moment_add :: deprecated function\n");
}

struct Builtin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr Builtin kPathBuiltins[] = {
    {"path_exists", F_PathExists, 1},
    {"path_name", F_PathName, 1},
    {"path_get_name", F_PathName, 1},
    {"path_get_length", F_PathGet<PathField::Length>, 1},
    {"path_get_kind", F_PathGet<PathField::Kind>, 1},
    {"path_get_closed", F_PathGet<PathField::Closed>, 1},
    {"path_get_precision", F_PathGet<PathField::Precision>, 1},
    {"path_get_number", F_PathGet<PathField::Number>, 1},
    {"path_get_point_x", F_PathGetPoint<Coordinate::X>, 2},
    {"path_get_point_y", F_PathGetPoint<Coordinate::Y>, 2},
    {"path_get_point_speed", F_PathGetPoint<Coordinate::Speed>, 2},
    {"path_get_x", F_PathGetAt<Coordinate::X>, 2},
    {"path_get_y", F_PathGetAt<Coordinate::Y>, 2},
    {"path_get_speed", F_PathGetAt<Coordinate::Speed>, 2},
    {"path_set_kind", F_PathSetKind, 2},
    {"path_set_closed", F_PathSetClosed, 2},
    {"path_set_precision", F_PathSetPrecision, 2},
    {"path_add", F_PathAdd, 0},
    {"path_duplicate", F_PathDuplicate, 1},
    {"path_assign", F_PathAssign, 2},
    {"path_append", F_PathAppend, 2},
    {"path_delete", F_PathDelete, 1},
    {"path_add_point", F_PathAddPoint, 4},
    {"path_insert_point", F_PathInsertPoint, 5},
    {"path_change_point", F_PathChangePoint, 5},
    {"path_delete_point", F_PathDeletePoint, 2},
    {"path_clear_points", F_PathClearPoints, 1},
    {"path_reverse", F_PathReverse, 1},
    {"path_mirror", F_PathMirror, 1},
    {"path_flip", F_PathFlip, 1},
    {"path_rotate", F_PathRotate, 2},
    {"path_scale", F_PathScale, 3},
    {"path_shift", F_PathShift, 3},
};

constexpr Builtin kTimeLineBuiltins[] = {
    {"timeline_exists", F_TimeLineExists, 1},
    {"timeline_name", F_TimeLineName, 1},
    {"timeline_get_name", F_TimeLineName, 1},
    {"timeline_add", F_TimeLineAdd, 0},
    {"timeline_delete", F_TimeLineDelete, 1},
    {"timeline_moment_clear", F_TimeLineMomentClear, 2},
    {"timeline_moment_add", F_TimeLineMomentAdd, 3},
};

}  // namespace

void RegisterPathFunctions() {
  for (const Builtin& builtin : kPathBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}

void RegisterTimeLineFunctions() {
  for (const Builtin& builtin : kTimeLineBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}

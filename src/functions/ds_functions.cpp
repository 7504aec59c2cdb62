#include "functions/ds_functions.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <memory>
#include <optional>
#include <string>

#include "functions/argument_helpers.h"
#include "platform/ds_containers.h"
#include "platform/ds_map.h"
#include "script/error_report.h"
#include "script/function_table.h"

ScriptValue DS_HandOut(const ScriptValue& stored) {
  if (stored.Kind() == kDSMarkMap || stored.Kind() == kDSMarkList) return ScriptValue(stored.real);
  return stored;
}

namespace {

using Table = DS_ContainerTables;

// The container named by the argument (rounded), or null after the runtime error.
template <typename T>
T* Lookup(CDS_Table<T>& table, const ScriptValue& index) {
  T* container = table.Get(Arg_Rounded(index));
  if (container == nullptr) Error_Show_Action(kDSNoSuchIndex, false);
  return container;
}

void Answer(ScriptValue& result, const ScriptValue* value) {
  if (value != nullptr) result = DS_HandOut(*value);
}
void Answer(ScriptValue& result, bool flag) { result.SetReal(flag ? 1.0 : 0.0); }
void Answer(ScriptValue& result, int32_t number) { result.SetReal(number); }
void Answer(ScriptValue& result, double number) { result.SetReal(number); }

// ---- operations common to the kinds ----------------------------------------

template <typename T, CDS_Table<T> Table::*kTable>
void Create(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal((DS_Tables().*kTable).Create());
}
template <typename T, CDS_Table<T> Table::*kTable>
void Destroy(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CDS_Table<T>& table = DS_Tables().*kTable;
  if (Lookup(table, args[0]) != nullptr) table.Destroy(Arg_Rounded(args[0]));
}
template <typename T, CDS_Table<T> Table::*kTable>
void Clear(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (T* c = Lookup(DS_Tables().*kTable, args[0])) c->Clear();
}
template <typename T, CDS_Table<T> Table::*kTable>
void Copy(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CDS_Table<T>& table = DS_Tables().*kTable;
  T* destination = table.Get(Arg_Rounded(args[0]));
  T* source = destination != nullptr ? table.Get(Arg_Rounded(args[1])) : nullptr;
  if (destination == nullptr || source == nullptr) {
    Error_Show_Action(kDSNoSuchIndex, false);
    return;
  }
  // A structure copied onto itself stays as it is (a copy clears its target first).
  if (destination != source) destination->Copy(*source);
}
template <typename T, CDS_Table<T> Table::*kTable>
void Size(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (T* c = Lookup(DS_Tables().*kTable, args[0])) Answer(result, c->Size());
}
template <typename T, CDS_Table<T> Table::*kTable>
void Empty(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (T* c = Lookup(DS_Tables().*kTable, args[0])) Answer(result, c->Empty());
}
template <typename T, CDS_Table<T> Table::*kTable>
void Write(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (T* c = Lookup(DS_Tables().*kTable, args[0])) result.SetString(c->Write());
}
template <typename T, CDS_Table<T> Table::*kTable>
void Read(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (T* c = Lookup(DS_Tables().*kTable, args[0])) c->Read(Arg_String(args[1]));
}

template <typename T>
CDS_Table<T>& TableOf();
template <>
CDS_Table<CDS_Stack>& TableOf() { return DS_Tables().stacks; }
template <>
CDS_Table<CDS_Queue>& TableOf() { return DS_Tables().queues; }
template <>
CDS_Table<CDS_List>& TableOf() { return DS_Tables().lists; }
template <>
CDS_Table<CDS_Map>& TableOf() { return DS_Tables().maps; }
template <>
CDS_Table<CDS_Priority>& TableOf() { return DS_Tables().priorities; }
template <>
CDS_Table<CDS_Grid>& TableOf() { return DS_Tables().grids; }

template <typename T>
T* Get(const ScriptValue& index) {
  return Lookup(TableOf<T>(), index);
}

}  // namespace

// ---- precision ---------------------------------------------------------------

void F_DsSetPrecision(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  DS_SetPrecision(Arg_Real(args[0]));
}

// ---- stack -------------------------------------------------------------------

constexpr BuiltinFunction F_DsStackCreate = Create<CDS_Stack, &Table::stacks>;
constexpr BuiltinFunction F_DsStackDestroy = Destroy<CDS_Stack, &Table::stacks>;
constexpr BuiltinFunction F_DsStackClear = Clear<CDS_Stack, &Table::stacks>;
constexpr BuiltinFunction F_DsStackCopy = Copy<CDS_Stack, &Table::stacks>;
constexpr BuiltinFunction F_DsStackSize = Size<CDS_Stack, &Table::stacks>;
constexpr BuiltinFunction F_DsStackEmpty = Empty<CDS_Stack, &Table::stacks>;
constexpr BuiltinFunction F_DsStackWrite = Write<CDS_Stack, &Table::stacks>;
constexpr BuiltinFunction F_DsStackRead = Read<CDS_Stack, &Table::stacks>;

void F_DsStackPush(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Stack* s = Get<CDS_Stack>(args[0])) s->Push(args[1]);
}
void F_DsStackPop(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Stack* s = Get<CDS_Stack>(args[0])) {
    if (std::optional<ScriptValue> v = s->Pop()) Answer(result, &*v);
  }
}
void F_DsStackTop(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Stack* s = Get<CDS_Stack>(args[0])) Answer(result, s->Top());
}

// ---- queue -------------------------------------------------------------------

constexpr BuiltinFunction F_DsQueueCreate = Create<CDS_Queue, &Table::queues>;
constexpr BuiltinFunction F_DsQueueDestroy = Destroy<CDS_Queue, &Table::queues>;
constexpr BuiltinFunction F_DsQueueClear = Clear<CDS_Queue, &Table::queues>;
constexpr BuiltinFunction F_DsQueueCopy = Copy<CDS_Queue, &Table::queues>;
constexpr BuiltinFunction F_DsQueueSize = Size<CDS_Queue, &Table::queues>;
constexpr BuiltinFunction F_DsQueueEmpty = Empty<CDS_Queue, &Table::queues>;
constexpr BuiltinFunction F_DsQueueWrite = Write<CDS_Queue, &Table::queues>;
constexpr BuiltinFunction F_DsQueueRead = Read<CDS_Queue, &Table::queues>;

void F_DsQueueEnqueue(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Queue* q = Get<CDS_Queue>(args[0])) q->Enqueue(args[1]);
}
void F_DsQueueDequeue(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Queue* q = Get<CDS_Queue>(args[0])) {
    if (std::optional<ScriptValue> v = q->Dequeue()) Answer(result, &*v);
  }
}
void F_DsQueueHead(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Queue* q = Get<CDS_Queue>(args[0])) Answer(result, q->Head());
}
void F_DsQueueTail(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Queue* q = Get<CDS_Queue>(args[0])) Answer(result, q->Tail());
}

// ---- list --------------------------------------------------------------------

constexpr BuiltinFunction F_DsListCreate = Create<CDS_List, &Table::lists>;
constexpr BuiltinFunction F_DsListDestroy = Destroy<CDS_List, &Table::lists>;
constexpr BuiltinFunction F_DsListClear = Clear<CDS_List, &Table::lists>;
constexpr BuiltinFunction F_DsListCopy = Copy<CDS_List, &Table::lists>;
constexpr BuiltinFunction F_DsListSize = Size<CDS_List, &Table::lists>;
constexpr BuiltinFunction F_DsListEmpty = Empty<CDS_List, &Table::lists>;
constexpr BuiltinFunction F_DsListWrite = Write<CDS_List, &Table::lists>;
constexpr BuiltinFunction F_DsListRead = Read<CDS_List, &Table::lists>;

void F_DsListAdd(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_List* l = Get<CDS_List>(args[0])) l->Add(args[1]);
}
void F_DsListInsert(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_List* l = Get<CDS_List>(args[0])) l->Insert(Arg_Rounded(args[1]), args[2]);
}
void F_DsListReplace(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_List* l = Get<CDS_List>(args[0])) l->Replace(Arg_Rounded(args[1]), args[2]);
}
void F_DsListDelete(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_List* l = Get<CDS_List>(args[0])) l->Delete(Arg_Rounded(args[1]));
}
void F_DsListFindIndex(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_List* l = Get<CDS_List>(args[0])) Answer(result, l->FindIndex(args[1]));
}
void F_DsListFindValue(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_List* l = Get<CDS_List>(args[0])) Answer(result, l->FindValue(Arg_Rounded(args[1])));
}
void F_DsListSort(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_List* l = Get<CDS_List>(args[0])) l->Sort(Arg_Flag(args[1]) ? 1 : 0);
}
void F_DsListShuffle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_List* l = Get<CDS_List>(args[0])) l->Shuffle();
}

// ---- map ---------------------------------------------------------------------

constexpr BuiltinFunction F_DsMapCreate = Create<CDS_Map, &Table::maps>;
constexpr BuiltinFunction F_DsMapDestroy = Destroy<CDS_Map, &Table::maps>;
constexpr BuiltinFunction F_DsMapClear = Clear<CDS_Map, &Table::maps>;
constexpr BuiltinFunction F_DsMapCopy = Copy<CDS_Map, &Table::maps>;
constexpr BuiltinFunction F_DsMapSize = Size<CDS_Map, &Table::maps>;
constexpr BuiltinFunction F_DsMapEmpty = Empty<CDS_Map, &Table::maps>;
constexpr BuiltinFunction F_DsMapWrite = Write<CDS_Map, &Table::maps>;
constexpr BuiltinFunction F_DsMapRead = Read<CDS_Map, &Table::maps>;

void F_DsMapAdd(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(0.0);
  if (CDS_Map* m = Get<CDS_Map>(args[0])) Answer(result, m->Add(args[1], args[2]));
}
void F_DsMapReplace(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(0.0);
  if (CDS_Map* m = Get<CDS_Map>(args[0])) Answer(result, m->Replace(args[1], args[2]));
}
void F_DsMapDelete(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Map* m = Get<CDS_Map>(args[0])) m->Delete(args[1]);
}
void F_DsMapExists(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Map* m = Get<CDS_Map>(args[0])) Answer(result, m->Exists(args[1]));
}
void F_DsMapFindValue(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Map* m = Get<CDS_Map>(args[0])) {
    const DSMapEntry* e = m->Find(args[1]);
    Answer(result, e != nullptr ? &e->value : nullptr);
  }
}
namespace {
void AnswerKey(ScriptValue& result, const DSMapEntry* entry) {
  Answer(result, entry != nullptr ? &entry->key : nullptr);
}
}  // namespace
void F_DsMapFindFirst(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Map* m = Get<CDS_Map>(args[0])) AnswerKey(result, m->FindFirst());
}
void F_DsMapFindLast(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Map* m = Get<CDS_Map>(args[0])) AnswerKey(result, m->FindLast());
}
void F_DsMapFindNext(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Map* m = Get<CDS_Map>(args[0])) AnswerKey(result, m->FindNext(args[1]));
}
void F_DsMapFindPrevious(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Map* m = Get<CDS_Map>(args[0])) AnswerKey(result, m->FindPrevious(args[1]));
}

// ---- priority queue ----------------------------------------------------------

constexpr BuiltinFunction F_DsPriorityCreate = Create<CDS_Priority, &Table::priorities>;
constexpr BuiltinFunction F_DsPriorityDestroy = Destroy<CDS_Priority, &Table::priorities>;
constexpr BuiltinFunction F_DsPriorityClear = Clear<CDS_Priority, &Table::priorities>;
constexpr BuiltinFunction F_DsPriorityCopy = Copy<CDS_Priority, &Table::priorities>;
constexpr BuiltinFunction F_DsPrioritySize = Size<CDS_Priority, &Table::priorities>;
constexpr BuiltinFunction F_DsPriorityEmpty = Empty<CDS_Priority, &Table::priorities>;
constexpr BuiltinFunction F_DsPriorityWrite = Write<CDS_Priority, &Table::priorities>;
constexpr BuiltinFunction F_DsPriorityRead = Read<CDS_Priority, &Table::priorities>;

void F_DsPriorityAdd(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Priority* p = Get<CDS_Priority>(args[0])) p->Add(args[1], args[2]);
}
void F_DsPriorityChangePriority(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Priority* p = Get<CDS_Priority>(args[0])) p->ChangePriority(args[1], args[2]);
}
void F_DsPriorityFindPriority(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Priority* p = Get<CDS_Priority>(args[0])) Answer(result, p->FindPriority(args[1]));
}
void F_DsPriorityDeleteValue(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Priority* p = Get<CDS_Priority>(args[0])) p->DeleteValue(args[1]);
}
void F_DsPriorityDeleteMin(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Priority* p = Get<CDS_Priority>(args[0])) {
    ScriptValue v = p->DeleteMin();
    Answer(result, &v);
  }
}
void F_DsPriorityDeleteMax(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Priority* p = Get<CDS_Priority>(args[0])) {
    ScriptValue v = p->DeleteMax();
    Answer(result, &v);
  }
}
void F_DsPriorityFindMin(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Priority* p = Get<CDS_Priority>(args[0])) Answer(result, p->FindMin());
}
void F_DsPriorityFindMax(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Priority* p = Get<CDS_Priority>(args[0])) Answer(result, p->FindMax());
}

// ---- grid --------------------------------------------------------------------

namespace {
// Grids larger than this many cells are an allocation that fails: a 32-bit process could never
// hold them, and here they would exhaust the machine's memory.
constexpr int64_t kMaxGridCells = int64_t(1) << 27;

bool GridFits(int32_t width, int32_t height) {
  return int64_t(std::max(width, 0)) * int64_t(std::max(height, 0)) <= kMaxGridCells;
}
}  // namespace

// A grid that cannot be allocated leaves a null entry at the index answered.
void F_DsGridCreate(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  const int32_t width = Arg_Rounded(args[0]), height = Arg_Rounded(args[1]);
  std::unique_ptr<CDS_Grid> grid;
  if (GridFits(width, height)) {
    try {
      grid = std::make_unique<CDS_Grid>(width, height);
    } catch (const std::bad_alloc&) {
      grid.reset();
    }
  }
  result.SetReal(DS_Tables().grids.Add(std::move(grid)));
}
constexpr BuiltinFunction F_DsGridDestroy = Destroy<CDS_Grid, &Table::grids>;
constexpr BuiltinFunction F_DsGridCopy = Copy<CDS_Grid, &Table::grids>;
constexpr BuiltinFunction F_DsGridWrite = Write<CDS_Grid, &Table::grids>;
constexpr BuiltinFunction F_DsGridRead = Read<CDS_Grid, &Table::grids>;

void F_DsGridClear(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) g->Clear(args[1]);
}
void F_DsGridResize(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CDS_Grid* g = Get<CDS_Grid>(args[0]);
  const int32_t width = Arg_Rounded(args[1]), height = Arg_Rounded(args[2]);
  if (g == nullptr || !GridFits(width, height)) return;
  try {
    g->Resize(width, height);
  } catch (const std::bad_alloc&) {
    g->Resize(0, 0);
  }
}
void F_DsGridWidth(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(0.0);
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) Answer(result, g->Width());
}
void F_DsGridHeight(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  result.SetReal(0.0);
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) Answer(result, g->Height());
}

namespace {
constexpr int32_t kSet = static_cast<int32_t>(DSOperation::Set);
constexpr int32_t kAdd = static_cast<int32_t>(DSOperation::Add);
constexpr int32_t kMultiply = static_cast<int32_t>(DSOperation::Multiply);

template <int32_t kOp>
void Cell(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) g->OperateCell(kOp, Arg_Rounded(args[1]), Arg_Rounded(args[2]), args[3]);
}
template <int32_t kOp>
void Region(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) {
    g->OperateRegion(kOp, Arg_Rounded(args[1]), Arg_Rounded(args[2]), Arg_Rounded(args[3]), Arg_Rounded(args[4]),
                     args[5]);
  }
}
template <int32_t kOp>
void Disk(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) g->OperateDisk(kOp, Arg_Real(args[1]), Arg_Real(args[2]), Arg_Real(args[3]), args[4]);
}
template <int32_t kOp>
void GridRegion(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  CDS_Grid* g = DS_Tables().grids.Get(Arg_Rounded(args[0]));
  CDS_Grid* source = g != nullptr ? DS_Tables().grids.Get(Arg_Rounded(args[1])) : nullptr;
  if (g == nullptr || source == nullptr) {
    Error_Show_Action(kDSNoSuchIndex, false);
    return;
  }
  g->OperateGridRegion(kOp, *source, Arg_Rounded(args[2]), Arg_Rounded(args[3]), Arg_Rounded(args[4]),
                       Arg_Rounded(args[5]), Arg_Rounded(args[6]), Arg_Rounded(args[7]));
}

using RegionQuery = double (CDS_Grid::*)(int32_t, int32_t, int32_t, int32_t) const;
using DiskQuery = double (CDS_Grid::*)(double, double, double) const;
using RegionSearch = double (CDS_Grid::*)(int32_t, int32_t, int32_t, int32_t, const ScriptValue&) const;
using DiskSearch = double (CDS_Grid::*)(double, double, double, const ScriptValue&) const;

template <RegionQuery kQuery>
void QueryRegion(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) {
    Answer(result, (g->*kQuery)(Arg_Rounded(args[1]), Arg_Rounded(args[2]), Arg_Rounded(args[3]), Arg_Rounded(args[4])));
  }
}
template <DiskQuery kQuery>
void QueryDisk(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) {
    Answer(result, (g->*kQuery)(Arg_Real(args[1]), Arg_Real(args[2]), Arg_Real(args[3])));
  }
}
template <RegionSearch kSearch>
void SearchRegion(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) {
    Answer(result, (g->*kSearch)(Arg_Rounded(args[1]), Arg_Rounded(args[2]), Arg_Rounded(args[3]),
                                 Arg_Rounded(args[4]), args[5]));
  }
}
template <DiskSearch kSearch>
void SearchDisk(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) {
    Answer(result, (g->*kSearch)(Arg_Real(args[1]), Arg_Real(args[2]), Arg_Real(args[3]), args[4]));
  }
}
}  // namespace

constexpr BuiltinFunction F_DsGridSet = Cell<kSet>;
constexpr BuiltinFunction F_DsGridAdd = Cell<kAdd>;
constexpr BuiltinFunction F_DsGridMultiply = Cell<kMultiply>;
constexpr BuiltinFunction F_DsGridSetRegion = Region<kSet>;
constexpr BuiltinFunction F_DsGridAddRegion = Region<kAdd>;
constexpr BuiltinFunction F_DsGridMultiplyRegion = Region<kMultiply>;
constexpr BuiltinFunction F_DsGridSetDisk = Disk<kSet>;
constexpr BuiltinFunction F_DsGridAddDisk = Disk<kAdd>;
constexpr BuiltinFunction F_DsGridMultiplyDisk = Disk<kMultiply>;
constexpr BuiltinFunction F_DsGridSetGridRegion = GridRegion<kSet>;
constexpr BuiltinFunction F_DsGridAddGridRegion = GridRegion<kAdd>;
constexpr BuiltinFunction F_DsGridMultiplyGridRegion = GridRegion<kMultiply>;

void F_DsGridGet(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) Answer(result, g->Get(Arg_Rounded(args[1]), Arg_Rounded(args[2])));
}
constexpr BuiltinFunction F_DsGridGetSum = QueryRegion<&CDS_Grid::GetSum>;
constexpr BuiltinFunction F_DsGridGetMax = QueryRegion<&CDS_Grid::GetMax>;
constexpr BuiltinFunction F_DsGridGetMin = QueryRegion<&CDS_Grid::GetMin>;
constexpr BuiltinFunction F_DsGridGetMean = QueryRegion<&CDS_Grid::GetMean>;
constexpr BuiltinFunction F_DsGridGetDiskSum = QueryDisk<&CDS_Grid::GetDiskSum>;
constexpr BuiltinFunction F_DsGridGetDiskMin = QueryDisk<&CDS_Grid::GetDiskMin>;
constexpr BuiltinFunction F_DsGridGetDiskMax = QueryDisk<&CDS_Grid::GetDiskMax>;
constexpr BuiltinFunction F_DsGridGetDiskMean = QueryDisk<&CDS_Grid::GetDiskMean>;
constexpr BuiltinFunction F_DsGridValueExists = SearchRegion<&CDS_Grid::ValueExists>;
constexpr BuiltinFunction F_DsGridValueX = SearchRegion<&CDS_Grid::ValueX>;
constexpr BuiltinFunction F_DsGridValueY = SearchRegion<&CDS_Grid::ValueY>;
constexpr BuiltinFunction F_DsGridValueDiskExists = SearchDisk<&CDS_Grid::ValueDiskExists>;
constexpr BuiltinFunction F_DsGridValueDiskX = SearchDisk<&CDS_Grid::ValueDiskX>;
constexpr BuiltinFunction F_DsGridValueDiskY = SearchDisk<&CDS_Grid::ValueDiskY>;

void F_DsGridShuffle(ScriptValue&, CInstance*, CInstance*, int, ScriptValue* args) {
  if (CDS_Grid* g = Get<CDS_Grid>(args[0])) g->Shuffle();
}

// ---- registration ------------------------------------------------------------

namespace {
struct DSBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

// ds_set_precision, then each kind in the order stack, queue, list, map, priority, grid.
constexpr DSBuiltin kDSBuiltins[] = {
    {"ds_set_precision", F_DsSetPrecision, 1},

    {"ds_stack_create", F_DsStackCreate, 0},
    {"ds_stack_destroy", F_DsStackDestroy, 1},
    {"ds_stack_clear", F_DsStackClear, 1},
    {"ds_stack_copy", F_DsStackCopy, 2},
    {"ds_stack_size", F_DsStackSize, 1},
    {"ds_stack_empty", F_DsStackEmpty, 1},
    {"ds_stack_push", F_DsStackPush, 2},
    {"ds_stack_pop", F_DsStackPop, 1},
    {"ds_stack_top", F_DsStackTop, 1},
    {"ds_stack_write", F_DsStackWrite, 1},
    {"ds_stack_read", F_DsStackRead, 2},

    {"ds_queue_create", F_DsQueueCreate, 0},
    {"ds_queue_destroy", F_DsQueueDestroy, 1},
    {"ds_queue_clear", F_DsQueueClear, 1},
    {"ds_queue_copy", F_DsQueueCopy, 2},
    {"ds_queue_size", F_DsQueueSize, 1},
    {"ds_queue_empty", F_DsQueueEmpty, 1},
    {"ds_queue_enqueue", F_DsQueueEnqueue, 2},
    {"ds_queue_dequeue", F_DsQueueDequeue, 1},
    {"ds_queue_head", F_DsQueueHead, 1},
    {"ds_queue_tail", F_DsQueueTail, 1},
    {"ds_queue_write", F_DsQueueWrite, 1},
    {"ds_queue_read", F_DsQueueRead, 2},

    {"ds_list_create", F_DsListCreate, 0},
    {"ds_list_destroy", F_DsListDestroy, 1},
    {"ds_list_clear", F_DsListClear, 1},
    {"ds_list_copy", F_DsListCopy, 2},
    {"ds_list_size", F_DsListSize, 1},
    {"ds_list_empty", F_DsListEmpty, 1},
    {"ds_list_add", F_DsListAdd, 2},
    {"ds_list_insert", F_DsListInsert, 3},
    {"ds_list_replace", F_DsListReplace, 3},
    {"ds_list_delete", F_DsListDelete, 2},
    {"ds_list_find_index", F_DsListFindIndex, 2},
    {"ds_list_find_value", F_DsListFindValue, 2},
    {"ds_list_sort", F_DsListSort, 2},
    {"ds_list_shuffle", F_DsListShuffle, 1},
    {"ds_list_write", F_DsListWrite, 1},
    {"ds_list_read", F_DsListRead, 2},

    {"ds_map_create", F_DsMapCreate, 0},
    {"ds_map_destroy", F_DsMapDestroy, 1},
    {"ds_map_clear", F_DsMapClear, 1},
    {"ds_map_copy", F_DsMapCopy, 2},
    {"ds_map_size", F_DsMapSize, 1},
    {"ds_map_empty", F_DsMapEmpty, 1},
    {"ds_map_add", F_DsMapAdd, 3},
    {"ds_map_replace", F_DsMapReplace, 3},
    {"ds_map_delete", F_DsMapDelete, 2},
    {"ds_map_exists", F_DsMapExists, 2},
    {"ds_map_find_value", F_DsMapFindValue, 2},
    {"ds_map_find_previous", F_DsMapFindPrevious, 2},
    {"ds_map_find_next", F_DsMapFindNext, 2},
    {"ds_map_find_first", F_DsMapFindFirst, 1},
    {"ds_map_find_last", F_DsMapFindLast, 1},
    {"ds_map_write", F_DsMapWrite, 1},
    {"ds_map_read", F_DsMapRead, 2},

    {"ds_priority_create", F_DsPriorityCreate, 0},
    {"ds_priority_destroy", F_DsPriorityDestroy, 1},
    {"ds_priority_clear", F_DsPriorityClear, 1},
    {"ds_priority_copy", F_DsPriorityCopy, 2},
    {"ds_priority_size", F_DsPrioritySize, 1},
    {"ds_priority_empty", F_DsPriorityEmpty, 1},
    {"ds_priority_add", F_DsPriorityAdd, 3},
    {"ds_priority_change_priority", F_DsPriorityChangePriority, 3},
    {"ds_priority_find_priority", F_DsPriorityFindPriority, 2},
    {"ds_priority_delete_value", F_DsPriorityDeleteValue, 2},
    {"ds_priority_delete_min", F_DsPriorityDeleteMin, 1},
    {"ds_priority_find_min", F_DsPriorityFindMin, 1},
    {"ds_priority_delete_max", F_DsPriorityDeleteMax, 1},
    {"ds_priority_find_max", F_DsPriorityFindMax, 1},
    {"ds_priority_write", F_DsPriorityWrite, 1},
    {"ds_priority_read", F_DsPriorityRead, 2},

    {"ds_grid_create", F_DsGridCreate, 2},
    {"ds_grid_destroy", F_DsGridDestroy, 1},
    {"ds_grid_copy", F_DsGridCopy, 2},
    {"ds_grid_resize", F_DsGridResize, 3},
    {"ds_grid_width", F_DsGridWidth, 1},
    {"ds_grid_height", F_DsGridHeight, 1},
    {"ds_grid_clear", F_DsGridClear, 2},
    {"ds_grid_set", F_DsGridSet, 4},
    {"ds_grid_add", F_DsGridAdd, 4},
    {"ds_grid_multiply", F_DsGridMultiply, 4},
    {"ds_grid_set_region", F_DsGridSetRegion, 6},
    {"ds_grid_add_region", F_DsGridAddRegion, 6},
    {"ds_grid_multiply_region", F_DsGridMultiplyRegion, 6},
    {"ds_grid_set_disk", F_DsGridSetDisk, 5},
    {"ds_grid_add_disk", F_DsGridAddDisk, 5},
    {"ds_grid_multiply_disk", F_DsGridMultiplyDisk, 5},
    {"ds_grid_set_grid_region", F_DsGridSetGridRegion, 8},
    {"ds_grid_add_grid_region", F_DsGridAddGridRegion, 8},
    {"ds_grid_multiply_grid_region", F_DsGridMultiplyGridRegion, 8},
    {"ds_grid_get", F_DsGridGet, 3},
    {"ds_grid_get_sum", F_DsGridGetSum, 5},
    {"ds_grid_get_max", F_DsGridGetMax, 5},
    {"ds_grid_get_min", F_DsGridGetMin, 5},
    {"ds_grid_get_mean", F_DsGridGetMean, 5},
    {"ds_grid_get_disk_sum", F_DsGridGetDiskSum, 4},
    {"ds_grid_get_disk_min", F_DsGridGetDiskMin, 4},
    {"ds_grid_get_disk_max", F_DsGridGetDiskMax, 4},
    {"ds_grid_get_disk_mean", F_DsGridGetDiskMean, 4},
    {"ds_grid_value_exists", F_DsGridValueExists, 6},
    {"ds_grid_value_x", F_DsGridValueX, 6},
    {"ds_grid_value_y", F_DsGridValueY, 6},
    {"ds_grid_value_disk_exists", F_DsGridValueDiskExists, 5},
    {"ds_grid_value_disk_x", F_DsGridValueDiskX, 5},
    {"ds_grid_value_disk_y", F_DsGridValueDiskY, 5},
    {"ds_grid_shuffle", F_DsGridShuffle, 1},
    {"ds_grid_write", F_DsGridWrite, 1},
    {"ds_grid_read", F_DsGridRead, 2},
};
static_assert(std::size(kDSBuiltins) == 110);
}  // namespace

void InitDataStructureFunctions() {
  for (const DSBuiltin& builtin : kDSBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}

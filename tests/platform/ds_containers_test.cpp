#include "platform/ds_containers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

ScriptValue R(double r) { return ScriptValue::Real(r); }
ScriptValue S(std::string s) { return ScriptValue::String(std::move(s)); }

// Restores the shared tolerance after a test changes it.
struct PrecisionGuard {
  double saved = DS_GetPrecision();
  ~PrecisionGuard() { DS_SetPrecision(saved); }
};

TEST(DSCompare, RealsInSinglePrecisionWithinTheTolerance) {
  PrecisionGuard guard;
  EXPECT_EQ(ScriptValue_Compare(R(0.1 + 0.2), R(0.3)), 0);
  EXPECT_EQ(ScriptValue_Compare(R(1.0), R(1.00000001)), 0);
  EXPECT_EQ(ScriptValue_Compare(R(1.0), R(1.0000001)), -1);
  EXPECT_EQ(ScriptValue_Compare(R(1.0000001), R(1.0)), 1);
  EXPECT_EQ(ScriptValue_Compare(R(1.0), R(1.0005)), -1);
  DS_SetPrecision(-0.001);  // the absolute value is kept
  EXPECT_EQ(DS_GetPrecision(), 0.001);
  EXPECT_EQ(ScriptValue_Compare(R(1.0), R(1.0005)), 0);
  EXPECT_EQ(ScriptValue_Compare(R(1.0), R(1.002)), -1);
}

TEST(DSCompare, StringsAndMixedKinds) {
  ScriptValue real = R(5), text = S("5");
  EXPECT_EQ(ScriptValue_Compare(real, text), 1);
  EXPECT_EQ(ScriptValue_Compare(text, real), 1);
  EXPECT_TRUE(real.IsReal() && real.real == 5 && text.IsString() && text.Text() == "5");
  EXPECT_EQ(ScriptValue_Compare(S("abc"), S("abd")), -1);
  EXPECT_EQ(ScriptValue_Compare(S("abc"), S("ab")), 1);
  EXPECT_EQ(ScriptValue_Compare(S("\xff"), S("a")), 1);  // bytes compare unsigned
  EXPECT_EQ(ScriptValue_Compare(S("same"), S("same")), 0);
  EXPECT_EQ(ScriptValue_Compare(S(""), S("")), 0);
}

TEST(DSCompare, OperateSetAddMultiply) {
  ScriptValue v = R(3);
  ScriptValue_Operate(2, v, R(4));
  EXPECT_EQ(v.real, 7);
  ScriptValue_Operate(3, v, R(2));
  EXPECT_EQ(v.real, 14);
  ScriptValue_Operate(3, v, S("x"));  // multiply by a string: unchanged
  EXPECT_TRUE(v.IsReal() && v.real == 14);
  ScriptValue_Operate(2, v, S("x"));  // kinds differ: the value replaces the target
  EXPECT_TRUE(v.IsString() && v.Text() == "x");
  ScriptValue_Operate(2, v, S(std::string(2000, 'y')));  // joined without a length cap
  EXPECT_EQ(v.Text().size(), 2001u);
  ScriptValue_Operate(7, v, R(1));
  EXPECT_TRUE(v.IsString());
  ScriptValue_Operate(1, v, R(9));
  EXPECT_TRUE(v.IsReal() && v.real == 9 && v.Text().empty());
}

TEST(DSStack, GrowsBy16AndPopsFromTheTop) {
  CDS_Stack stack;
  for (int i = 0; i < 16; ++i) stack.Push(R(i));
  EXPECT_EQ(stack.Capacity(), 16);
  stack.Push(S("top"));
  EXPECT_EQ(stack.Capacity(), 32);
  EXPECT_EQ(stack.Size(), 17);
  EXPECT_EQ(stack.Top()->Text(), "top");
  EXPECT_EQ(stack.Pop()->Text(), "top");
  EXPECT_EQ(stack.Pop()->real, 15);
  stack.Clear();
  EXPECT_TRUE(stack.Empty());
  EXPECT_FALSE(stack.Pop().has_value());
  EXPECT_EQ(stack.Top(), nullptr);
}

TEST(DSQueue, CompactsAfterTheSeventeenthDequeue) {
  CDS_Queue queue;
  for (int i = 0; i < 20; ++i) queue.Enqueue(R(i));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(queue.Dequeue()->real, i);
  EXPECT_EQ(queue.HeadIndex(), 16);  // 16 is not yet 17 or more
  EXPECT_EQ(queue.Dequeue()->real, 16);
  EXPECT_EQ(queue.HeadIndex(), 0);
  EXPECT_EQ(queue.TailIndex(), 3);
  EXPECT_EQ(queue.Head()->real, 17);
  EXPECT_EQ(queue.Tail()->real, 19);
  EXPECT_EQ(queue.Size(), 3);
  // Slots above the new tail keep what they held: slot 3 the dequeued 3, slot 19 the value 19.
  auto slotReal = [&](int slot) { return queue.Write().substr(32 + size_t(slot) * 32 + 8, 16); };
  EXPECT_EQ(slotReal(0), "0000000000003140");  // 17
  EXPECT_EQ(slotReal(3), "0000000000000840");  // 3
  EXPECT_EQ(slotReal(19), "0000000000003340");  // 19
  queue.Enqueue(S("more"));
  EXPECT_EQ(queue.Tail()->Text(), "more");
  for (double expected : {17.0, 18.0, 19.0}) EXPECT_EQ(queue.Dequeue()->real, expected);
  EXPECT_EQ(queue.Dequeue()->Text(), "more");
  EXPECT_TRUE(queue.Empty());
  EXPECT_FALSE(queue.Dequeue().has_value());
}

TEST(DSList, InsertReplaceDeleteAndFind) {
  CDS_List list;
  list.Add(R(1));
  list.Add(R(3));
  list.Insert(1, S("two"));
  list.Insert(3, R(4));  // position count appends
  list.Insert(9, R(9));  // beyond the count: nothing
  list.Insert(-1, R(9));
  ASSERT_EQ(list.Size(), 4);
  EXPECT_EQ(list.FindIndex(S("two")), 1);
  EXPECT_EQ(list.FindIndex(R(4)), 3);
  EXPECT_EQ(list.FindIndex(R(2)), -1);
  list.Replace(0, R(10));
  list.Replace(4, R(11));  // outside: nothing
  list.Delete(1);
  list.Delete(7);
  ASSERT_EQ(list.Size(), 3);
  EXPECT_EQ(list.FindValue(0)->real, 10);
  EXPECT_EQ(list.FindValue(1)->real, 3);
  EXPECT_EQ(list.FindValue(2)->real, 4);
  EXPECT_EQ(list.FindValue(3), nullptr);
  EXPECT_EQ(list.FindValue(-1), nullptr);
}

TEST(DSList, SortKeepsOrReversesEqualValues) {
  // 1 and 1.000000001 are equal at the default tolerance but tell the two entries apart.
  const double a = 1.0, b = 1.000000001;
  auto contents = [](const CDS_List& l) {
    std::vector<double> out;
    for (int i = 0; i < l.Size(); ++i) out.push_back(l.FindValue(i)->real);
    return out;
  };
  CDS_List up;
  for (double v : {2.0, a, b}) up.Add(R(v));
  up.Sort(1);
  EXPECT_EQ(contents(up), (std::vector<double>{a, b, 2.0}));
  CDS_List down;
  for (double v : {a, b, 2.0}) down.Add(R(v));
  down.Sort(0);
  EXPECT_EQ(contents(down), (std::vector<double>{2.0, b, a}));
  down.Sort(2);  // not a flag: unchanged
  EXPECT_EQ(contents(down), (std::vector<double>{2.0, b, a}));
  CDS_List mixed;  // strings sort by bytes; a real against a string compares as 1
  for (const char* s : {"pear", "apple", "fig"}) mixed.Add(S(s));
  mixed.Sort(1);
  EXPECT_EQ(mixed.FindValue(0)->Text(), "apple");
  EXPECT_EQ(mixed.FindValue(2)->Text(), "pear");
}

TEST(DSList, ShuffleDrawsFromTheInstalledSourceAndKeepsEveryValue) {
  std::vector<int32_t> draws;
  DS_SetRandomSource([&](int32_t n) {
    draws.push_back(n);
    return int32_t(draws.size() * 7 % uint32_t(n));
  });
  CDS_List list;
  for (int i = 0; i < 10; ++i) list.Add(R(i));
  list.Shuffle();
  EXPECT_EQ(draws.size(), 160u);  // count x 8 swaps, two draws each
  EXPECT_TRUE(std::all_of(draws.begin(), draws.end(), [](int32_t n) { return n == 10; }));
  std::vector<double> values;
  for (int i = 0; i < 10; ++i) values.push_back(list.FindValue(i)->real);
  std::sort(values.begin(), values.end());
  for (int i = 0; i < 10; ++i) EXPECT_EQ(values[size_t(i)], i);
  DS_SetRandomSource([](int32_t) { return 12345; });  // out of range answers are kept inside
  list.Shuffle();
  CDS_Grid grid(3, 2);
  grid.Shuffle();
  DS_SetRandomSource(nullptr);
  list.Shuffle();  // the private generator
  EXPECT_EQ(list.Size(), 10);
}

TEST(DSPriority, FirstOfEqualPrioritiesAndLastEntryFillsTheHole) {
  CDS_Priority queue;
  queue.Add(S("a"), R(5));
  queue.Add(S("b"), R(1));
  queue.Add(S("c"), R(1));
  EXPECT_EQ(queue.FindMin()->Text(), "b");
  EXPECT_EQ(queue.FindMax()->Text(), "a");
  EXPECT_EQ(queue.DeleteMin().Text(), "b");
  ASSERT_EQ(queue.Size(), 2);
  EXPECT_EQ(queue.ValueAt(0).Text(), "a");
  EXPECT_EQ(queue.ValueAt(1).Text(), "c");
  queue.ChangePriority(S("c"), R(9));
  EXPECT_EQ(queue.FindPriority(S("c"))->real, 9);
  EXPECT_EQ(queue.FindPriority(S("zzz")), nullptr);
  EXPECT_EQ(queue.DeleteMax().Text(), "c");
  queue.DeleteValue(S("nothing"));
  EXPECT_EQ(queue.Size(), 1);
  queue.DeleteValue(S("a"));
  EXPECT_TRUE(queue.Empty());
  ScriptValue none = queue.DeleteMin();
  EXPECT_TRUE(none.IsReal() && none.real == 0);
  EXPECT_EQ(queue.FindMin(), nullptr);
  for (int i = 0; i < 17; ++i) queue.Add(R(i), R(-i));
  EXPECT_EQ(queue.Capacity(), 32);
  EXPECT_EQ(queue.DeleteMin().real, 16);
}

TEST(DSGrid, RegionsAreNormalisedAndClipped) {
  CDS_Grid grid(4, 3);
  grid.OperateRegion(1, 10, -5, 2, 1, R(7));  // corners in either order, clipped to x 2..3, y 0..1
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 3; ++y) EXPECT_EQ(grid.Get(x, y)->real, (x >= 2 && y <= 1) ? 7 : 0) << x << "," << y;
  EXPECT_EQ(grid.Get(4, 0), nullptr);
  EXPECT_EQ(grid.Get(0, -1), nullptr);
  grid.OperateCell(1, 4, 0, R(1));  // outside: nothing
  EXPECT_EQ(grid.GetSum(-100, -100, 100, 100), 28);
  EXPECT_EQ(grid.GetMean(3, 2, 0, 0), 28.0 / 12);
  EXPECT_EQ(grid.GetSum(5, 5, 9, 9), 0);  // wholly outside
  EXPECT_EQ(grid.ValueExists(0, 0, 3, 2, R(7)), 1);
  EXPECT_EQ(grid.ValueX(0, 0, 3, 2, R(7)), 2);  // first in scan order: x outer, y inner
  EXPECT_EQ(grid.ValueY(0, 0, 3, 2, R(7)), 0);
  EXPECT_EQ(grid.ValueExists(0, 0, 1, 2, R(7)), 0);
  EXPECT_EQ(grid.ValueX(0, 0, 1, 2, R(7)), 0);
}

TEST(DSGrid, StatisticsStartFromTheFirstRealCell) {
  CDS_Grid grid(2, 2);
  grid.Clear(S("text"));
  EXPECT_EQ(grid.GetMax(0, 0, 1, 1), -100000000);
  EXPECT_EQ(grid.GetMin(0, 0, 1, 1), 100000000);
  EXPECT_EQ(grid.GetMean(0, 0, 1, 1), 0);
  EXPECT_EQ(grid.GetSum(0, 0, 1, 1), 0);
  grid.OperateCell(1, 0, 0, R(-3e8));
  grid.OperateCell(1, 1, 1, R(-5e8));
  EXPECT_EQ(grid.GetMax(0, 0, 1, 1), -3e8);  // not the -1e8 bound
  EXPECT_EQ(grid.GetMin(0, 0, 1, 1), -5e8);
  EXPECT_EQ(grid.GetMean(0, 0, 1, 1), -4e8);
  grid.OperateCell(1, 0, 0, R(3e8));
  EXPECT_EQ(grid.GetMin(0, 0, 0, 1), 3e8);  // not the 1e8 bound
}

TEST(DSGrid, AddingAStringToARealCellReplacesIt) {
  CDS_Grid grid(1, 1);
  grid.OperateCell(2, 0, 0, S("hi"));
  EXPECT_EQ(grid.Get(0, 0)->Text(), "hi");
  grid.OperateCell(2, 0, 0, S("!"));
  EXPECT_EQ(grid.Get(0, 0)->Text(), "hi!");
}

TEST(DSGrid, DiskMembershipUsesCellCentres) {
  CDS_Grid grid(5, 5);
  grid.OperateDisk(1, 2, 2, 1, R(1));
  int inside = 0;
  for (int x = 0; x < 5; ++x)
    for (int y = 0; y < 5; ++y) inside += grid.Get(x, y)->real == 1;
  EXPECT_EQ(inside, 5);  // the centre and its four neighbours
  EXPECT_EQ(grid.Get(3, 3)->real, 0);
  EXPECT_EQ(grid.GetDiskSum(2, 2, 1), 5);
  EXPECT_EQ(grid.GetDiskSum(1, 2, 1.5), 4);  // (1,1) is inside at 1.5: 2 <= 2.25
  EXPECT_EQ(grid.GetDiskSum(0, 2, 1), 1);    // clipped at the left edge
  EXPECT_EQ(grid.ValueDiskExists(4, 4, 1, R(1)), 0);
  EXPECT_EQ(grid.ValueDiskX(2, 2, 1, R(1)), 1);
  EXPECT_EQ(grid.ValueDiskY(2, 2, 1, R(1)), 2);
  EXPECT_EQ(grid.GetDiskMax(2, 2, 5), 1);
  EXPECT_EQ(grid.GetDiskMean(2, 2, 0), 1);
  EXPECT_EQ(grid.GetDiskSum(1e300, -1e300, 1e300), 0);  // far-away or NaN disks are empty
  EXPECT_EQ(grid.GetDiskSum(std::nan(""), 2, 1), 0);
  grid.OperateDisk(1, 2, 2, -1, R(9));  // a negative radius gives an empty scan box
  EXPECT_EQ(grid.Get(2, 2)->real, 1);
}

std::vector<double> Row(const CDS_Grid& grid, int y) {
  std::vector<double> out;
  for (int x = 0; x < grid.Width(); ++x) out.push_back(grid.Get(x, y)->real);
  return out;
}

TEST(DSGrid, GridRegionClipsByTheRegionAndCopiesOverlapsSafely) {
  CDS_Grid grid(10, 1);
  for (int x = 0; x < 10; ++x) grid.OperateCell(1, x, 0, R(x));
  // Onto itself, shifted right: each cell read before it is overwritten.
  grid.OperateGridRegion(1, grid, 0, 0, 5, 0, 3, 0);
  EXPECT_EQ(Row(grid, 0), (std::vector<double>{0, 1, 2, 0, 1, 2, 3, 4, 5, 9}));
  // Shifted left.
  for (int x = 0; x < 10; ++x) grid.OperateCell(1, x, 0, R(x));
  grid.OperateGridRegion(1, grid, 4, 0, 9, 0, 1, 0);
  EXPECT_EQ(Row(grid, 0), (std::vector<double>{0, 4, 5, 6, 7, 8, 9, 7, 8, 9}));
  // A region starting at 5 copied to 2 keeps all five cells.
  CDS_Grid source(10, 1), target(10, 1);
  for (int x = 0; x < 10; ++x) source.OperateCell(1, x, 0, R(x));
  target.OperateGridRegion(1, source, 5, 0, 9, 0, 2, 0);
  EXPECT_EQ(Row(target, 0), (std::vector<double>{0, 0, 5, 6, 7, 8, 9, 0, 0, 0}));
  // A negative position moves the source start; the end is cut at the target's edge.
  CDS_Grid small(3, 1);
  small.OperateGridRegion(2, source, 0, 0, 9, 0, -2, 0);
  EXPECT_EQ(Row(small, 0), (std::vector<double>{2, 3, 4}));
  small.OperateGridRegion(1, source, 0, 0, 9, 0, 3, 0);  // starts past the edge: nothing
  small.OperateGridRegion(1, source, 0, 0, 9, 0, 2000000000, 0);
  EXPECT_EQ(Row(small, 0), (std::vector<double>{2, 3, 4}));
}

TEST(DSGrid, GridRegionTwoDimensionalOverlap) {
  CDS_Grid grid(3, 3);
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 3; ++y) grid.OperateCell(1, x, y, R(10 * x + y));
  grid.OperateGridRegion(1, grid, 0, 1, 1, 2, 1, 0);  // right and up
  EXPECT_EQ(Row(grid, 0), (std::vector<double>{0, 1, 11}));
  EXPECT_EQ(Row(grid, 1), (std::vector<double>{1, 2, 12}));
  EXPECT_EQ(Row(grid, 2), (std::vector<double>{2, 12, 22}));
}

TEST(DSGrid, ResizeKeepsCellsAndCopyTakesTheSourceSize) {
  CDS_Grid grid(2, 2);
  grid.OperateCell(1, 1, 1, S("keep"));
  grid.Resize(3, 1);
  EXPECT_EQ(grid.Width(), 3);
  EXPECT_EQ(grid.Height(), 1);
  EXPECT_EQ(grid.Get(1, 1), nullptr);
  grid.Resize(3, 2);
  EXPECT_TRUE(grid.Get(1, 1)->IsReal());  // dropped cells come back as the real 0
  grid.Resize(-1, 4);
  EXPECT_EQ(grid.Width(), 0);
  CDS_Grid other(5, 6);
  other.OperateCell(1, 4, 5, S("corner"));
  grid.Copy(other);
  EXPECT_EQ(grid.Width(), 5);
  EXPECT_EQ(grid.Get(4, 5)->Text(), "corner");
}

}  // namespace

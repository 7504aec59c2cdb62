#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/containers/array_class.h"
#include "platform/containers/array_memory.h"
#include "platform/containers/array_structure.h"
#include "platform/containers/hash.h"
#include "platform/containers/s_linked_list.h"
#include "platform/memory_manager.h"

namespace {

// Counts its own destructions; a virtual destructor, as instances have.
struct Tracked {
  explicit Tracked(std::string n, std::vector<std::string>* log) : name(std::move(n)), destroyed(log) {}
  virtual ~Tracked() { destroyed->push_back(name); }
  std::string name;
  std::vector<std::string>* destroyed;
};

struct Derived : Tracked {
  using Tracked::Tracked;
  ~Derived() override { destroyed->push_back("derived " + name); }
};

TEST(Hash, DuplicateKeysAreFoundInInsertionOrder) {
  Hash<int> hash(512);
  int first = 1, second = 2;
  hash.Insert(5, &first);
  hash.Insert(5, &second);
  EXPECT_EQ(hash.Count(), 2);
  EXPECT_EQ(hash.Find(5), &first);
  EXPECT_TRUE(hash.Delete(5, Disposal::Keep));
  EXPECT_EQ(hash.Find(5), &second);
  EXPECT_TRUE(hash.Delete(5, Disposal::Keep));
  EXPECT_FALSE(hash.Delete(5, Disposal::Keep));
  EXPECT_EQ(hash.Find(5), nullptr);
  EXPECT_EQ(hash.Count(), 0);
}

TEST(Hash, BucketIsTheKeyMaskedAndKeysSharingOneStayApart) {
  Hash<int> hash(512);
  EXPECT_EQ(hash.Mask(), 511);
  EXPECT_EQ(hash.BucketOf(3), 3);
  EXPECT_EQ(hash.BucketOf(515), 3);
  EXPECT_EQ(hash.BucketOf(-1), 511);
  int a = 3, b = 515;
  hash.Insert(3, &a);
  hash.Insert(515, &b);
  EXPECT_EQ(hash.Find(3), &a);
  EXPECT_EQ(hash.Find(515), &b);
  EXPECT_EQ(hash.Find(1027), nullptr);
  EXPECT_EQ(Hash<int>(100).Mask(), 127);
}

TEST(Hash, DisposalModesDestroyOrFreeTheValues) {
  std::vector<std::string> destroyed;
  Hash<Tracked> objects(128);
  objects.Insert(1, new Derived("one", &destroyed));
  objects.Insert(2, new Tracked("two", &destroyed));
  EXPECT_TRUE(objects.Delete(1, Disposal::Destroy));
  EXPECT_EQ(destroyed, (std::vector<std::string>{"derived one", "one"}));
  objects.Clear(Disposal::Destroy);
  EXPECT_EQ(destroyed.back(), "two");
  EXPECT_EQ(objects.Count(), 0);

  const uint32_t blocksBefore = MemoryManager::Statistics().blocksInUse;
  Hash<char> blocks(4);
  for (int key = 0; key < 6; ++key) blocks.Insert(key, MemoryManager::Strdup("x", __FILE__, __LINE__));
  blocks.Clear(Disposal::FreeBlock);
  EXPECT_EQ(MemoryManager::Statistics().blocksInUse, blocksBefore);
}

TEST(Hash, ClearEmptiesBucketsFromTheLast) {
  std::vector<std::string> destroyed;
  Hash<Tracked> hash(4);
  hash.Insert(0, new Tracked("b0", &destroyed));
  hash.Insert(3, new Tracked("b3", &destroyed));
  hash.Insert(4, new Tracked("b0 second", &destroyed));
  hash.Insert(1, new Tracked("b1", &destroyed));
  hash.Clear(Disposal::Destroy);
  EXPECT_EQ(destroyed, (std::vector<std::string>{"b3", "b1", "b0", "b0 second"}));
}

TEST(SLinkedList, AddRemoveAndClearByMode) {
  std::vector<std::string> destroyed;
  SLinkedList<Tracked> list;
  auto* a = new Tracked("a", &destroyed);
  auto* b = new Tracked("b", &destroyed);
  auto* c = new Tracked("c", &destroyed);
  list.Add(a);
  list.Add(b);
  auto node = list.Add(c);
  EXPECT_EQ(*node, c);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.First(), a);
  EXPECT_EQ(list.Last(), c);

  EXPECT_TRUE(list.Remove(b, Disposal::Keep));
  EXPECT_TRUE(destroyed.empty());
  EXPECT_FALSE(list.Remove(b, Disposal::Destroy));
  delete b;
  std::vector<Tracked*> order(list.begin(), list.end());
  EXPECT_EQ(order, (std::vector<Tracked*>{a, c}));

  list.Clear(Disposal::Destroy);
  EXPECT_EQ(destroyed, (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.First(), nullptr);
}

std::vector<int> Contents(const cARRAY_STRUCTURE<int>& array) { return {array.begin(), array.end()}; }

TEST(ArrayStructure, InsertAndDeleteShiftTheRecords) {
  struct Case {
    std::vector<int> start;
    const char* op;
    int index;
    int value;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {{10, 20, 30, 40}, "delete", 0, 0, {20, 30, 40}},
      {{10, 20, 30, 40}, "delete", 3, 0, {10, 20, 30}},
      {{10, 20, 30, 40}, "delete", 4, 0, {10, 20, 30, 40}},
      {{10, 20, 30, 40}, "delete", -1, 0, {10, 20, 30, 40}},
      {{10, 20}, "insert", 1, 15, {10, 15, 20}},
      {{10, 20}, "insert", 2, 30, {10, 20, 30}},
      {{10, 20}, "insert", 0, 5, {5, 10, 20}},
      {{10, 20}, "insert", 3, 99, {10, 20}},
      {{}, "insert", 0, 7, {7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.op) + " " + std::to_string(c.index));
    cARRAY_STRUCTURE<int> array;
    array.SetLength(static_cast<int32_t>(c.start.size()));
    for (size_t i = 0; i < c.start.size(); ++i) array[static_cast<int32_t>(i)] = c.start[i];
    if (std::string(c.op) == "delete") {
      array.Delete(c.index);
    } else {
      array.Insert(c.index, c.value);
    }
    EXPECT_EQ(Contents(array), c.expected);
    EXPECT_EQ(array.Length(), static_cast<int32_t>(c.expected.size()));
  }
}

TEST(ArrayStructure, GrowingZeroFillsNewRecords) {
  struct Record {
    int a;
    double b;
  };
  cARRAY_STRUCTURE<Record> array;
  array.SetLength(2);
  array[0] = {1, 2.0};
  array[1] = {3, 4.0};
  array.SetLength(1);
  array.SetLength(3);
  EXPECT_EQ(array[0].a, 1);
  EXPECT_EQ(array[1].a, 0);
  EXPECT_EQ(array[2].b, 0.0);
  array.Clear();
  EXPECT_EQ(array.Length(), 0);
  EXPECT_EQ(array.Data(), nullptr);
}

TEST(ArrayClass, SetLengthZeroDestroysEveryObjectButNoDeleteDestroysNone) {
  std::vector<std::string> destroyed;
  cARRAY_CLASS<Tracked> owning;
  owning.SetLength(4);
  owning.Set(0, std::make_unique<Tracked>("a", &destroyed));
  owning.Set(1, std::make_unique<Derived>("b", &destroyed));
  owning.Set(3, std::make_unique<Tracked>("c", &destroyed));
  owning.SetLength(4);
  EXPECT_TRUE(destroyed.empty());
  owning.SetLength(0);
  EXPECT_EQ(destroyed, (std::vector<std::string>{"a", "derived b", "b", "c"}));
  EXPECT_EQ(owning.Length(), 0);

  destroyed.clear();
  Tracked x("x", &destroyed), y("y", &destroyed), z("z", &destroyed);
  {
    cARRAY_CLASS_NO_DELETE<Tracked> borrowing;
    borrowing.SetLength(3);
    borrowing.Set(0, &x);
    borrowing.Set(1, &y);
    borrowing.Set(2, &z);
    borrowing.Delete(1);
    EXPECT_EQ(borrowing.Get(1), &z);
    borrowing.SetLength(0);
    EXPECT_EQ(borrowing.Length(), 0);
  }
  EXPECT_TRUE(destroyed.empty());
}

TEST(ArrayClass, DeleteDestroysOnlyTheObjectAtAValidIndex) {
  std::vector<std::string> destroyed;
  cARRAY_CLASS<Tracked> array;
  array.SetLength(3);
  for (int i = 0; i < 3; ++i) array.Set(i, std::make_unique<Tracked>(std::string(1, char('a' + i)), &destroyed));
  Tracked* a = array.Get(0);
  Tracked* c = array.Get(2);
  array.Delete(3);
  array.Delete(-1);
  EXPECT_EQ(array.Length(), 3);
  EXPECT_TRUE(destroyed.empty());
  array.Delete(1);
  EXPECT_EQ(destroyed, (std::vector<std::string>{"b"}));
  EXPECT_EQ(array.Length(), 2);
  EXPECT_EQ(array.Get(0), a);
  EXPECT_EQ(array.Get(1), c);
  EXPECT_EQ(array.Get(2), nullptr);

  EXPECT_TRUE(array.Insert(1, std::make_unique<Tracked>("m", &destroyed)));
  EXPECT_EQ(array.Get(1)->name, "m");
  EXPECT_EQ(array.Get(2), c);
  EXPECT_FALSE(array.Insert(9, std::make_unique<Tracked>("refused", &destroyed)));
  EXPECT_EQ(destroyed.back(), "refused");
  array.SetLength(0);
}

TEST(ArrayMemory, OwnsItsBlocks) {
  const MemoryStatistics before = MemoryManager::Statistics();
  {
    cARRAY_MEMORY<char> names;
    names.SetLength(3);
    names.Set(0, MemoryManager::Strdup("room0", __FILE__, __LINE__));
    names.Set(1, MemoryManager::Strdup("room1", __FILE__, __LINE__));
    names.Set(2, MemoryManager::Strdup("room2", __FILE__, __LINE__));
    names.Delete(0);
    EXPECT_EQ(names.Length(), 2);
    EXPECT_STREQ(names.Get(0), "room1");
    names.Set(1, MemoryManager::Strdup("renamed", __FILE__, __LINE__));
    EXPECT_STREQ(names.Get(1), "renamed");
    names.SetLength(5);
    EXPECT_EQ(names.Get(4), nullptr);
    names.SetLength(0);
    EXPECT_EQ(MemoryManager::Statistics().blocksInUse, before.blocksInUse);
    names.SetLength(1);
    names.Set(0, MemoryManager::Strdup("freed with the array", __FILE__, __LINE__));
  }
  EXPECT_EQ(MemoryManager::Statistics().blocksInUse, before.blocksInUse);
  EXPECT_EQ(MemoryManager::Statistics().bytesInUse, before.bytesInUse);
}

}  // namespace

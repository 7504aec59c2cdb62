#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/containers/name_index.h"

namespace {

// A table of optional names searched the way the resource tables search theirs.
struct Table {
  std::vector<std::optional<std::string>> names;
  NameIndex index;
  int32_t Find(std::string_view name) {
    return index.Find(name, names.size(), [this](size_t i) { return names[i] ? &*names[i] : nullptr; });
  }
};

TEST(NameIndex, FindsTheFirstHolderOfANameAndNothingInEmptySlots) {
  Table table{{"a", std::nullopt, "b", "a", std::string()}};
  EXPECT_EQ(table.Find("a"), 0);
  EXPECT_EQ(table.Find("b"), 2);
  EXPECT_EQ(table.Find(""), 4);
  EXPECT_EQ(table.Find("c"), -1);
}

TEST(NameIndex, FollowsTheTableThroughItsChanges) {
  Table table{{"a", "b", "a"}};
  ASSERT_EQ(table.Find("a"), 0);
  // An emptied slot is seen even before the owner says so: the hit is checked.
  table.names[0].reset();
  EXPECT_EQ(table.Find("a"), 2);
  // A longer or shorter table is rebuilt on its own.
  table.names.push_back("c");
  EXPECT_EQ(table.Find("c"), 3);
  table.names.pop_back();
  EXPECT_EQ(table.Find("c"), -1);
  // A name given to an existing slot is found once the owner invalidates.
  table.names[1] = "d";
  table.index.Invalidate();
  EXPECT_EQ(table.Find("d"), 1);
  EXPECT_EQ(table.Find("b"), -1);
}

}  // namespace

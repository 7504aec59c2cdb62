#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "runner/instance.h"
#include "runner/instance_list.h"

namespace {

// The order the list must keep: an instance goes in front of the first one (from the head)
// whose current depth is greater, else last.
void ModelInsert(std::vector<CInstance*>& model, CInstance& instance) {
  auto at = std::find_if(model.begin(), model.end(), [&](CInstance* i) { return i->depth > instance.depth; });
  model.insert(at, &instance);
}

void ExpectSameOrder(const InstanceList& list, const std::vector<CInstance*>& model, int step) {
  std::vector<CInstance*> forward, backward;
  for (CInstance* at = list.first; at != nullptr; at = at->next) forward.push_back(at);
  for (CInstance* at = list.last; at != nullptr; at = at->prev) backward.push_back(at);
  std::reverse(backward.begin(), backward.end());
  ASSERT_EQ(forward, model) << "after operation " << step;
  ASSERT_EQ(backward, model) << "after operation " << step;
  ASSERT_EQ(list.count, static_cast<int32_t>(model.size()));
  // The members are the same instances, each at its slot.
  std::vector<CInstance*> members = list.members, sorted = model;
  for (size_t k = 0; k < members.size(); ++k) ASSERT_EQ(members[k]->memberSlot, k) << "after operation " << step;
  std::sort(members.begin(), members.end());
  std::sort(sorted.begin(), sorted.end());
  ASSERT_EQ(members, sorted) << "after operation " << step;
}

// Random inserts, removals, depth changes that re-sort and depth changes that keep their place
// (a change of object), over few distinct depths with -0 and not-a-number among them, checked
// against the plain walk from the head after every operation.
TEST(InstanceList, KeepsTheOrderOfAWalkFromTheHead) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> depths = {0.0f, -0.0f, 5.0f, -5.0f, 100.0f, 1e9f, -1e9f, nan, 2.5f};
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    std::vector<std::unique_ptr<CInstance>> pool;
    for (int i = 0; i < 60; ++i) pool.push_back(std::make_unique<CInstance>(0.0f, 0.0f, i, 0, false));
    std::vector<CInstance*> model;
    InstanceList list;
    for (int step = 0; step < 600; ++step) {
      const size_t op = pick(10);
      std::vector<CInstance*> outside;
      for (auto& i : pool) {
        if (std::find(model.begin(), model.end(), i.get()) == model.end()) outside.push_back(i.get());
      }
      if (op < 4 && !outside.empty()) {
        CInstance& in = *outside[pick(outside.size())];
        in.depth = depths[pick(depths.size())];
        InstanceList_InsertByDepth(list, in);
        ModelInsert(model, in);
      } else if (op < 6 && !model.empty()) {
        CInstance& out = *model[pick(model.size())];
        InstanceList_Unlink(list, out);
        model.erase(std::find(model.begin(), model.end(), &out));
      } else if (op < 9 && !model.empty()) {
        // depth = value: out and back in at the new depth, or moved there in one call.
        CInstance& moved = *model[pick(model.size())];
        moved.depth = depths[pick(depths.size())];
        if (op == 8) {
          InstanceList_Reinsert(list, moved);
        } else {
          InstanceList_Unlink(list, moved);
          InstanceList_InsertByDepth(list, moved);
        }
        model.erase(std::find(model.begin(), model.end(), &moved));
        ModelInsert(model, moved);
      } else if (!model.empty() && seed % 2 == 0) {
        // A new depth in place, as a change of object gives.
        CInstance& kept = *model[pick(model.size())];
        kept.depth = depths[pick(depths.size())];
        ++InstanceList_DepthDrift;
      }
      ExpectSameOrder(list, model, step);
      if (HasFatalFailure()) return;
    }
    while (!model.empty()) {
      InstanceList_Unlink(list, *model.back());
      model.pop_back();
    }
    EXPECT_TRUE(list.firstAtDepth.empty());
  }
}

// The deactivated list keeps the order of leaving, whatever the depths.
TEST(InstanceList, AppendKeepsArrivalOrderAndUnlinksCleanly) {
  CInstance a(0, 0, 1, 0, false), b(0, 0, 2, 0, false), c(0, 0, 3, 0, false);
  a.depth = 10.0f;
  b.depth = -10.0f;
  c.depth = 0.0f;
  InstanceList list;
  InstanceList_Append(list, a);
  InstanceList_Append(list, b);
  InstanceList_Append(list, c);
  ExpectSameOrder(list, {&a, &b, &c}, 0);
  InstanceList_Unlink(list, b);
  ExpectSameOrder(list, {&a, &c}, 1);
  // Back in an active list, by depth.
  InstanceList active;
  InstanceList_InsertByDepth(active, b);
  InstanceList_Unlink(list, c);
  InstanceList_InsertByDepth(active, c);
  ExpectSameOrder(active, {&b, &c}, 2);
  InstanceList_Unlink(active, b);
  InstanceList_Unlink(active, c);
  InstanceList_Unlink(list, a);
}

// The order taken again after whole runs moved to other depths, instances left (and were
// freed) and more came in than the list held: always the walk from the head, at a size where
// the last order is used to read ahead.
TEST(InstanceList, OrderFollowsTheLinksAsRunsMoveAndTheListChangesSize) {
  std::vector<std::unique_ptr<CInstance>> pool;
  InstanceList list;
  auto add = [&](int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      const int32_t n = static_cast<int32_t>(pool.size());
      pool.push_back(std::make_unique<CInstance>(0.0f, 0.0f, n, 0, false));
      pool.back()->depth = static_cast<float>(-(n * 13 % 50));
      InstanceList_InsertByDepth(list, *pool.back());
    }
  };
  auto expectWalk = [&](const char* after) {
    std::vector<CInstance*> walk;
    for (CInstance* at = list.first; at != nullptr; at = at->next) walk.push_back(at);
    EXPECT_EQ(InstanceList_Order(list), walk) << after;
  };
  add(6000);
  expectWalk("the first order");
  for (int round = 0; round < 3; ++round) {  // depth = depth - 1, wrapping like depth = -y
    for (auto& i : pool) {
      i->depth = i->depth <= -49.0f ? 0.0f : i->depth - 1.0f;
      InstanceList_Reinsert(list, *i);
    }
    expectWalk("the runs moved");
  }
  for (size_t k = 0; k < 2000; ++k) {
    const size_t at = k * 3 % pool.size();
    InstanceList_Unlink(list, *pool[at]);
    pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(at));
  }
  expectWalk("instances left");
  add(5000);
  expectWalk("the list grew");
  while (!pool.empty()) {
    InstanceList_Unlink(list, *pool.back());
    pool.pop_back();
  }
  EXPECT_TRUE(InstanceList_Order(list).empty());
}

}  // namespace

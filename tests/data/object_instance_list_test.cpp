#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "data/object_instance_list.h"
#include "runner/instance.h"

namespace {

std::vector<CInstance*> Walk(const ObjectInstanceList& list) { return {list.begin(), list.end()}; }

// Members joining (some under stamps older than the last, as after a change of parent) and
// leaving in random order, with stretches where most leave from the front: the walk keeps the
// order of joining and the count follows, whatever the holes left behind.
TEST(ObjectInstanceList, KeepsTheOrderOfJoiningWhileMembersLeave) {
  std::vector<std::unique_ptr<CInstance>> pool;
  for (int32_t i = 0; i < 300; ++i) pool.push_back(std::make_unique<CInstance>(0.0f, 0.0f, 100001 + i, -1, false));
  for (uint32_t seed = 1; seed <= 10; ++seed) {
    std::mt19937 random(seed);
    ObjectInstanceList list;
    std::vector<CInstance*> model;
    std::vector<uint64_t> stamps(pool.size(), 0);
    uint64_t stamp = 1000;
    for (int step = 0; step < 4000; ++step) {
      const bool fromFront = (step / 500) % 2 == 1;
      CInstance* pick = pool[random() % pool.size()].get();
      const size_t index = static_cast<size_t>(pick->id - 100001);
      const bool member = std::find(model.begin(), model.end(), pick) != model.end();
      if (!member && random() % (fromFront ? 4 : 2) == 0) {
        // Now and then a member joins under an old stamp.
        stamps[index] = random() % 10 == 0 ? random() % 1000 : ++stamp;
        list.Add(pick, stamps[index]);
        model.push_back(pick);
      } else if (!model.empty()) {
        CInstance* leaving = fromFront ? model.front() : (member ? pick : model[random() % model.size()]);
        ASSERT_TRUE(list.Remove(leaving, stamps[static_cast<size_t>(leaving->id - 100001)]));
        model.erase(std::find(model.begin(), model.end(), leaving));
      }
      ASSERT_EQ(list.Count(), static_cast<int32_t>(model.size())) << "seed " << seed << " step " << step;
      ASSERT_EQ(Walk(list), model) << "seed " << seed << " step " << step;
    }
    EXPECT_FALSE(list.Remove(pool[0].get(), 5)) << "not a member";
    EXPECT_FALSE(list.Remove(nullptr, 0));
  }
}

}  // namespace

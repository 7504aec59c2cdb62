#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <vector>

#include "runner/instance.h"
#include "runner/instance_id_map.h"

namespace {

// Random adds and removals over a narrow band of ids (long probe runs, removals in the middle
// of runs and across the table's wrap, growth while full of runs), with ids that are taken
// twice: every id must be found as a plain map of first holders would find it.
TEST(InstanceIdMap, FindsWhatAMapOfFirstHoldersFinds) {
  for (uint32_t seed = 1; seed <= 10; ++seed) {
    std::mt19937 random(seed);
    std::vector<std::unique_ptr<CInstance>> instances;
    for (int32_t i = 0; i < 600; ++i) {
      const int32_t id = i % 3 == 0 ? 100001 + static_cast<int32_t>(random() % 400)
                                    : static_cast<int32_t>(random() % 2000) - 1000;
      instances.push_back(std::make_unique<CInstance>(0.0f, 0.0f, id, -1, false));
    }
    InstanceIdMap map;
    std::map<int32_t, CInstance*> model;
    std::vector<CInstance*> in;
    for (int step = 0; step < 3000; ++step) {
      CInstance& pick = *instances[random() % instances.size()];
      if (random() % 3 != 0) {
        const bool added = map.Add(pick);
        ASSERT_EQ(added, model.emplace(pick.id, &pick).second) << "seed " << seed << " step " << step;
      } else {
        map.Remove(pick);
        auto held = model.find(pick.id);
        if (held != model.end() && held->second == &pick) model.erase(held);
      }
      ASSERT_EQ(map.Count(), static_cast<int32_t>(model.size()));
      if (step % 50 != 0) continue;
      for (int32_t id = -1000; id < 1000; ++id) {
        auto held = model.find(id);
        ASSERT_EQ(map.Find(id), held == model.end() ? nullptr : held->second) << "seed " << seed << " id " << id;
      }
      for (const auto& [id, holder] : model) ASSERT_EQ(map.Find(id), holder) << "seed " << seed << " id " << id;
    }
    map.Clear();
    EXPECT_EQ(map.Find(instances[0]->id), nullptr);
    EXPECT_EQ(map.Count(), 0);
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "runner/instance.h"
#include "runner/instance_pool.h"

namespace {

// Instances made one after another share the pool's blocks; a freed block serves the next
// instance, and every block handed out comes back.
TEST(InstancePool, BlocksAreCountedAndReused) {
  const size_t before = InstancePool_InUse();
  std::vector<std::unique_ptr<CInstance>> made;
  for (int32_t i = 0; i < 600; ++i) made.push_back(std::make_unique<CInstance>(0.0f, 0.0f, i, -1, false));
  EXPECT_EQ(InstancePool_InUse(), before + 600);
  made[0]->variables->Set(kFirstUserVariableId, 0, ScriptValue(7.0));
  ScriptValue seven;
  ASSERT_TRUE(made[0]->variables->Get(kFirstUserVariableId, 0, seven));
  EXPECT_EQ(seven.real, 7.0);

  [[maybe_unused]] CInstance* const freed = made[300].get();
  made[300].reset();
  EXPECT_EQ(InstancePool_InUse(), before + 599);
  made[300] = std::make_unique<CInstance>(1.0f, 2.0f, 1000, -1, false);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_EQ(made[300].get(), freed);
#endif
  EXPECT_EQ(made[300]->x, 1.0f);
  EXPECT_EQ(made[300]->variables->Count(), 0);
  made.clear();
  EXPECT_EQ(InstancePool_InUse(), before);
}

}  // namespace

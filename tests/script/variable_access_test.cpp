#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "runner/instance.h"
#include "script/variable_access.h"

namespace {

constexpr int32_t kUser = 100000;
constexpr int32_t kBuiltInX = 1;      // settable
constexpr int32_t kBuiltInFixed = 2;  // read-only

bool GetBuiltIn(CInstance* instance, int32_t id, int32_t, ScriptValue& out) {
  if (instance == nullptr || id != kBuiltInX) return false;
  out.SetReal(instance->x);
  return true;
}

bool SetBuiltIn(CInstance* instance, int32_t id, int32_t, const ScriptValue& value) {
  if (instance == nullptr || id != kBuiltInX) return false;
  instance->x = static_cast<float>(value.real);
  return true;
}

// A room of instances of objects 0 and 1; object 2 exists without instances.
class VariableAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    Variable_SetBuiltInAccessors(GetBuiltIn, SetBuiltIn);
    for (int32_t i = 0; i < 4; ++i) {
      auto instance = std::make_unique<CInstance>(0.0f, 0.0f, 100001 + i, i < 3 ? 0 : 1, true);
      Instance_IdHash_Add(*instance);
      objects_[instance->object_index].push_back(instance.get());
      room_.push_back(std::move(instance));
    }
    objects_[2];
    Variable_SetInstanceWorld({
        [this](const InstanceVisitor& visit) {
          for (auto& instance : room_) {
            if (!visit(*instance)) return;
          }
        },
        [this](int32_t object, const InstanceVisitor& visit) {
          auto it = objects_.find(object);
          if (it == objects_.end()) return false;
          for (CInstance* instance : it->second) {
            if (!visit(*instance)) break;
          }
          return true;
        },
    });
  }
  void TearDown() override {
    Variable_SetInstanceWorld({});
    Variable_SetBuiltInAccessors(nullptr, nullptr);
  }

  double Read(CInstance& instance, int32_t id) {
    ScriptValue out;
    EXPECT_TRUE(Variable_GetValue(&instance, id, 0, out));
    return out.real;
  }

  std::vector<std::unique_ptr<CInstance>> room_;
  std::map<int32_t, std::vector<CInstance*>> objects_;
};

TEST_F(VariableAccess, ThroughAnInstance) {
  CInstance& a = *room_[0];
  EXPECT_TRUE(Variable_SetValue(&a, kUser, 0, ScriptValue(3.0)));
  EXPECT_EQ(Read(a, kUser), 3.0);
  EXPECT_TRUE(Variable_SetValue(&a, kBuiltInX, 0, ScriptValue(12.0)));
  EXPECT_EQ(a.x, 12.0f);
  EXPECT_EQ(Read(a, kBuiltInX), 12.0);
  EXPECT_FALSE(Variable_SetValue(&a, kBuiltInFixed, 0, ScriptValue(1.0)));
  ScriptValue out;
  EXPECT_FALSE(Variable_GetValue(&a, kBuiltInFixed, 0, out));
}

TEST_F(VariableAccess, ReadThroughTargets) {
  room_[0]->marked = true;
  for (auto& instance : room_) {
    instance->variables->Set(kUser, 0, ScriptValue(static_cast<double>(instance->id)));
  }
  struct Case {
    const char* what;
    int32_t target;
    bool ok;
    double value;
  } cases[] = {
      {"all: first unmarked", kInstanceAll, true, 100002},
      {"object 0: first unmarked", 0, true, 100002},
      {"object 1", 1, true, 100004},
      {"object without instances", 2, false, 0},
      {"missing object", 7, false, 0},
      {"instance id", 100003, true, 100003},
      {"marked instance id", 100001, false, 0},
      {"missing instance id", 100999, false, 0},
      {"self (-1)", -1, false, 0},
      {"other negative code", -4, false, 0},
  };
  for (const auto& c : cases) {
    ScriptValue out;
    EXPECT_EQ(Variable_GetThrough(c.target, kUser, 0, out), c.ok) << c.what;
    if (c.ok) {
      EXPECT_EQ(out.real, c.value) << c.what;
    }
  }
}

TEST_F(VariableAccess, WriteThroughTargets) {
  room_[1]->marked = true;
  EXPECT_TRUE(Variable_SetThrough(kInstanceAll, kUser, 0, ScriptValue(1.0)));
  ScriptValue out;
  EXPECT_EQ(room_[1]->variables->FindNode(kUser), nullptr);  // marked: skipped
  for (int i : {0, 2, 3}) EXPECT_EQ(Read(*room_[i], kUser), 1.0);

  EXPECT_TRUE(Variable_SetThrough(0, kBuiltInX, 0, ScriptValue(5.0)));
  EXPECT_EQ(room_[0]->x, 5.0f);
  EXPECT_EQ(room_[1]->x, 0.0f);
  EXPECT_EQ(room_[2]->x, 5.0f);
  EXPECT_EQ(room_[3]->x, 0.0f);

  EXPECT_FALSE(Variable_SetThrough(kInstanceAll, kBuiltInFixed, 0, ScriptValue(1.0)));
  EXPECT_FALSE(Variable_SetThrough(1, kBuiltInFixed, 0, ScriptValue(1.0)));
  EXPECT_TRUE(Variable_SetThrough(100004, kUser, 0, ScriptValue(2.0)));
  EXPECT_EQ(Read(*room_[3], kUser), 2.0);

  // Nothing to write: true.
  EXPECT_TRUE(Variable_SetThrough(100999, kUser, 0, ScriptValue(1.0)));
  EXPECT_TRUE(Variable_SetThrough(100002, kUser, 0, ScriptValue(1.0)));  // marked
  EXPECT_TRUE(Variable_SetThrough(7, kUser, 0, ScriptValue(1.0)));
  EXPECT_TRUE(Variable_SetThrough(2, kBuiltInFixed, 0, ScriptValue(1.0)));
  EXPECT_FALSE(Variable_SetThrough(-1, kUser, 0, ScriptValue(1.0)));

  room_.clear();
  objects_.clear();
  EXPECT_TRUE(Variable_SetThrough(kInstanceAll, kUser, 0, ScriptValue(1.0)));
  EXPECT_FALSE(Variable_GetThrough(kInstanceAll, kUser, 0, out));
}

TEST_F(VariableAccess, DestroyedInstanceLeavesTheIdMap) {
  ASSERT_EQ(Instance_Find(100002), room_[1].get());
  room_.erase(room_.begin() + 1);
  EXPECT_EQ(Instance_Find(100002), nullptr);
  CInstance unlisted(0, 0, 100001, -1, false);  // same id as a listed one
  Instance_IdHash_Add(unlisted);
  EXPECT_EQ(Instance_Find(100001), room_[0].get());
  EXPECT_EQ(unlisted.object_index, 0);
}

}  // namespace

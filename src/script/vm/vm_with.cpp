// With environments: the instances a with statement runs its body for.
#include <algorithm>
#include <vector>

#include "runner/instance.h"
#include "script/variable_access.h"
#include "script/vm/vm_state.h"

const char* VM_PushEnv(VMState& st, int32_t instance, int32_t& used, bool& skip) {
  if (instance == -5) return "Cannot use global in with statement";
  if (instance == -7) return "Cannot use local in with statement";
  std::vector<VMWith>& withs = st.seg->withs;
  withs.emplace_back();
  VMWith& env = withs.back();
  env.savedSelf = st.self;
  env.savedOther = st.other;
  env.order.clear();
  env.cursor = 0;
  skip = false;
  if (instance == -1 || instance == -6) {
    st.other = st.self;
    env.bytes = 8 + 4;
    used += env.bytes;
    return nullptr;
  }
  if (instance == -2) {
    st.self = env.savedOther;
    st.other = env.savedSelf;
    env.bytes = 8 + 4;
    used += env.bytes;
    return nullptr;
  }
  InstanceVisitor collect = [&env](CInstance& found) {
    if (!found.marked) env.order.push_back(&found);
    return true;
  };
  if (instance == -3) {
    Variable_ForEachActiveInstance(collect);
  } else if (instance >= 100000) {
    CInstance* found = Instance_Find(instance);
    if (found != nullptr && !found->marked) env.order.push_back(found);
  } else if (instance >= 0) {
    Variable_ForEachObjectInstance(instance, collect);
  }
  const size_t n = env.order.size();
  // Visiting order: one or two in list order, three or more from the last back to the first.
  if (n >= 3) std::reverse(env.order.begin(), env.order.end());
  env.bytes = 8 + (n >= 3 ? 12 : 4 * static_cast<int32_t>(n == 0 ? 1 : n));
  used += env.bytes;
  if (n == 0) {
    skip = true;
    return nullptr;
  }
  st.other = env.savedSelf;
  st.self = env.order[0];
  env.cursor = 1;
  return nullptr;
}

const char* VM_PopEnv(VMState& st, bool closeNow, int32_t& used, bool& again) {
  std::vector<VMWith>& withs = st.seg->withs;
  size_t floor = st.seg->frames.Empty() ? 0 : st.seg->frames.Top().withDepth;
  again = false;
  if (withs.size() <= floor) return "Execution Error - no with environment to close";
  VMWith& env = withs.back();
  if (!closeNow && env.cursor < env.order.size()) {
    st.self = env.order[env.cursor++];
    again = true;
    return nullptr;
  }
  st.self = env.savedSelf;
  st.other = env.savedOther;
  used -= env.bytes;
  withs.pop_back();
  return nullptr;
}

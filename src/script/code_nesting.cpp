#include "script/code_nesting.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>

namespace {

// The frame address is the real stack even where a sanitizer moves locals elsewhere.
[[gnu::noinline]] std::uintptr_t StackHere() {
  return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

// How far below the outermost run the stack may reach: half the thread's stack limit (the
// other half is for what runs above it and for the frames of the last run), within sane
// bounds for an unlimited or tiny limit. Read once, after Code_WidenNativeStack.
std::uintptr_t StackBudget() {
  static const std::uintptr_t budget = [] {
    constexpr std::uintptr_t kDefault = std::uintptr_t{8} << 20;
    std::uintptr_t limit = kDefault;
    rlimit rl{};
    if (getrlimit(RLIMIT_STACK, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) {
      limit = static_cast<std::uintptr_t>(rl.rlim_cur);
    }
    limit = std::clamp(limit, std::uintptr_t{1} << 20, std::uintptr_t{64} << 20);
    return limit / 2;
  }();
  return budget;
}

}  // namespace

void Code_WidenNativeStack() {
  constexpr rlim_t kWanted = rlim_t{64} << 20;
  rlimit rl{};
  if (getrlimit(RLIMIT_STACK, &rl) != 0 || rl.rlim_cur == RLIM_INFINITY || rl.rlim_cur >= kWanted) return;
  rl.rlim_cur = rl.rlim_max == RLIM_INFINITY ? kWanted : std::min(kWanted, rl.rlim_max);
  // Refused, the stack stays as it was and the budget follows the old limit.
  setrlimit(RLIMIT_STACK, &rl);
}

bool Code_NativeStackExhausted() {
  const std::uintptr_t base = code_nesting_detail::stackBase;
  const std::uintptr_t here = StackHere();
  return code_nesting_detail::depth > 0 && base > here && base - here > StackBudget();
}

namespace code_nesting_detail {

int32_t depth = 0;
std::uintptr_t stackBase = 0;

bool MayEnterNested() { return depth < kMaxCodeNesting && !Code_NativeStackExhausted(); }

}  // namespace code_nesting_detail

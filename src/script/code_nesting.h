// How deep runs of game code nest inside one another. The machine's script calls do not grow
// the native stack, but every other way code starts code does: a built-in that performs an
// event (event_user, instance_destroy, instance_create, ...), script_execute, execute_string,
// and on the parse-tree interpreter every script call. Both executors count such runs here,
// so that code nesting without end, whatever mix of scripts, events and built-ins it goes
// through, stops with "Stack overflow..." at the same depth instead of running the process
// out of stack.
#pragma once

#include <cstdint>

// The deepest nesting of runs allowed; the run that would go deeper is refused.
inline constexpr int32_t kMaxCodeNesting = 512;

// Whether the native stack has less left than a run may need: it reaches further below the
// outermost run than half the thread's stack limit. This holds the nesting where a build's
// frames are so large that kMaxCodeNesting runs would not fit.
bool Code_NativeStackExhausted();

// Lets the main thread's stack grow to 64 MiB where the system allows it, so that
// kMaxCodeNesting runs fit with room to spare in every build, the sanitizer's included.
// Called once at start-up, before any code runs.
void Code_WidenNativeStack();

namespace code_nesting_detail {
extern int32_t depth;
// The native stack's position where the outermost run started.
extern std::uintptr_t stackBase;
// Answers whether a run inside others may start: the depth is below the limit and the
// native stack has room.
bool MayEnterNested();
}  // namespace code_nesting_detail

inline int32_t Code_NestingDepth() { return code_nesting_detail::depth; }

// One run of code for as long as it lives. When the nesting is already as deep as it may go
// (or the native stack has no room for another), nothing is entered and Refused() is true: the
// run reports "Stack overflow..." and does not start.
class CodeNestingScope {
 public:
  // Inline so that the outermost run, every event of every step, costs next to nothing.
  [[gnu::always_inline]] CodeNestingScope() {
    using namespace code_nesting_detail;
    if (depth == 0) {
      stackBase = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
      entered_ = true;
    } else {
      entered_ = MayEnterNested();
    }
    if (entered_) ++depth;
  }
  ~CodeNestingScope() {
    if (entered_) --code_nesting_detail::depth;
  }
  CodeNestingScope(const CodeNestingScope&) = delete;
  CodeNestingScope& operator=(const CodeNestingScope&) = delete;

  bool Refused() const { return !entered_; }

 private:
  bool entered_;
};

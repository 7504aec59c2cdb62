#include "platform/termination_signal.h"

#include <signal.h>

namespace termination_detail {
std::atomic<bool> g_Requested{false};
}  // namespace termination_detail

namespace {

static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnTerminationSignal(int) { termination_detail::g_Requested.store(true, std::memory_order_relaxed); }

}  // namespace

void TerminationSignal_Install() {
  for (const int signal : kTerminationSignals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
  }
}

void TerminationSignal_Clear() { termination_detail::g_Requested.store(false, std::memory_order_relaxed); }

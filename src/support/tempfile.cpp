// Temporary files that an interrupt must not leave behind.
#include "support/tempfile.h"

#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace tracewell {

namespace {

constexpr int guarded[3] = {SIGINT, SIGTERM, SIGHUP};

// One kept name. The handler may run on any thread while others make or
// release files, so each slot says by a lock-free atomic who owns its name.
enum slotstate : int {
  unused,    // free to claim
  making,    // its owner is making the file (guarded signals blocked on that thread)
  holding,   // the file exists under `path`
  removing,  // the handler took it; it is never given back (the process is ending)
};
static_assert(std::atomic<int>::is_always_lock_free);

struct keptname {
  std::atomic<int> state{unused};
  char path[PATH_MAX];
};

// What the handler may touch: fixed buffers and atomics, nothing that allocates.
keptname kept[tempfileguard::maxfiles];

// The signal actions: installed by the first live guard, restored by the last.
std::mutex actionsmutex;
int liveguards = 0;
bool installed[3] = {};
struct sigaction previous[3];

// Only async-signal-safe calls: unlink, signal and raise. A name being made
// is waited for: its owner runs on another thread (it blocks these signals on
// its own) and finishes within a system call. The re-raised signal stays
// blocked until the handler returns and then ends the process.
extern "C" void removeandreraise(int sig) {
  for (keptname& k : kept) {
    int state = k.state.load(std::memory_order_acquire);
    while (state == making) state = k.state.load(std::memory_order_acquire);
    if (state == holding && k.state.compare_exchange_strong(state, removing, std::memory_order_acq_rel)) {
      unlink(k.path);
    }
  }
  signal(sig, SIG_DFL);
  raise(sig);
}

sigset_t guardedset() {
  sigset_t set;
  sigemptyset(&set);
  for (const int sig : guarded) sigaddset(&set, sig);
  return set;
}

}  // namespace

tempfileguard::tempfileguard() {
  const std::lock_guard lock(actionsmutex);
  if (liveguards++ > 0) return;
  struct sigaction action {};
  action.sa_handler = removeandreraise;
  action.sa_mask = guardedset();
  for (int i = 0; i < 3; ++i) {
    struct sigaction old {};
    installed[i] = false;
    if (sigaction(guarded[i], nullptr, &old) != 0) continue;
    const bool defaultaction = (old.sa_flags & SA_SIGINFO) == 0 && old.sa_handler == SIG_DFL;
    if (defaultaction && sigaction(guarded[i], &action, nullptr) == 0) {
      previous[i] = old;
      installed[i] = true;
    }
  }
}

tempfileguard::~tempfileguard() {
  release();
  const std::lock_guard lock(actionsmutex);
  if (--liveguards > 0) return;
  for (int i = 0; i < 3; ++i) {
    if (installed[i]) sigaction(guarded[i], &previous[i], nullptr);
  }
}

int tempfileguard::create(std::string& pattern) {
  if (slot_ >= 0 || pattern.size() >= PATH_MAX) return -1;
  const sigset_t set = guardedset();
  sigset_t old;
  pthread_sigmask(SIG_BLOCK, &set, &old);
  int fd = -1;
  for (int i = 0; i < static_cast<int>(maxfiles); ++i) {
    keptname& k = kept[i];
    int state = unused;
    if (!k.state.compare_exchange_strong(state, making, std::memory_order_acquire)) continue;
    std::memcpy(k.path, pattern.c_str(), pattern.size() + 1);
    fd = mkstemp(k.path);
    if (fd >= 0) {
      pattern = k.path;
      slot_ = i;
    }
    k.state.store(fd >= 0 ? holding : unused, std::memory_order_release);
    break;
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return fd;
}

void tempfileguard::release() {
  if (slot_ < 0) return;
  int state = holding;
  // Fails only when the handler took the name; then the process is ending.
  kept[slot_].state.compare_exchange_strong(state, unused, std::memory_order_release);
  slot_ = -1;
}

}  // namespace tracewell

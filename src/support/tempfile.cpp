// Temporary files that an interrupt must not leave behind.
#include "support/tempfile.h"

#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace tracewell {

namespace {

// The signals whose default action ends the process and that a handler can
// catch, besides the real-time ones. SIGXFSZ is left out: it is ignored
// instead, so that a file-size limit fails the write that reaches it.
constexpr int fatalsignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};

// Calls `f` with every signal a guard takes over.
template <typename F>
void foreachguarded(F f) {
  for (const int sig : fatalsignals) f(sig);
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) f(sig);
}

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
bool installed[NSIG] = {};
struct sigaction previous[NSIG];

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
  foreachguarded([&](int sig) { sigaddset(&set, sig); });
  return set;
}

// Sets `sig` to `handler` when the process leaves it at its default action;
// one the process ignores or handles itself stays as it is.
void takeover(int sig, void (*handler)(int), const sigset_t& mask) {
  struct sigaction old {};
  installed[sig] = false;
  if (sigaction(sig, nullptr, &old) != 0) return;
  if ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL) return;
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_mask = mask;
  if (sigaction(sig, &action, nullptr) == 0) {
    previous[sig] = old;
    installed[sig] = true;
  }
}

void giveback(int sig) {
  if (installed[sig]) sigaction(sig, &previous[sig], nullptr);
}

}  // namespace

tempfileguard::tempfileguard() {
  const std::lock_guard lock(actionsmutex);
  if (liveguards++ > 0) return;
  const sigset_t mask = guardedset();
  foreachguarded([&](int sig) { takeover(sig, removeandreraise, mask); });
  takeover(SIGXFSZ, SIG_IGN, mask);
}

tempfileguard::~tempfileguard() {
  release();
  const std::lock_guard lock(actionsmutex);
  if (--liveguards > 0) return;
  foreachguarded(giveback);
  giveback(SIGXFSZ);
}

int tempfileguard::create(std::string& pattern) {
  if (slot_ >= 0) return -1;
  if (pattern.size() >= PATH_MAX) {
    errno = ENAMETOOLONG;
    return -1;
  }
  const sigset_t set = guardedset();
  sigset_t old;
  pthread_sigmask(SIG_BLOCK, &set, &old);
  int fd = -1;
  int err = EMFILE;  // every name already guarded
  for (int i = 0; i < static_cast<int>(maxfiles); ++i) {
    keptname& k = kept[i];
    int state = unused;
    if (!k.state.compare_exchange_strong(state, making, std::memory_order_acquire)) continue;
    std::memcpy(k.path, pattern.c_str(), pattern.size() + 1);
    fd = mkstemp(k.path);
    err = errno;
    if (fd >= 0) {
      pattern = k.path;
      slot_ = i;
    }
    k.state.store(fd >= 0 ? holding : unused, std::memory_order_release);
    break;
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (fd < 0) errno = err;
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

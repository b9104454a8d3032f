// Temporary files that an interrupt must not leave behind.
#include "support/tempfile.h"

#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>

namespace tracewell {

namespace {

constexpr int guarded[3] = {SIGINT, SIGTERM, SIGHUP};

// What the handler may touch: a fixed buffer and a flag, nothing that allocates.
char pendingpath[PATH_MAX];
volatile sig_atomic_t pending = 0;
struct sigaction previous[3];

// Only async-signal-safe calls: unlink, signal and raise. The re-raised signal
// stays blocked until the handler returns and then ends the process.
extern "C" void removeandreraise(int sig) {
  if (pending != 0) unlink(pendingpath);
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
  struct sigaction action {};
  action.sa_handler = removeandreraise;
  action.sa_mask = guardedset();
  for (int i = 0; i < 3; ++i) {
    struct sigaction old {};
    if (sigaction(guarded[i], nullptr, &old) != 0) continue;
    const bool defaultaction = (old.sa_flags & SA_SIGINFO) == 0 && old.sa_handler == SIG_DFL;
    if (defaultaction && sigaction(guarded[i], &action, nullptr) == 0) {
      previous[i] = old;
      installed_[i] = true;
    }
  }
}

tempfileguard::~tempfileguard() {
  release();
  for (int i = 0; i < 3; ++i) {
    if (installed_[i]) sigaction(guarded[i], &previous[i], nullptr);
  }
}

int tempfileguard::create(std::string& pattern) {
  if (pattern.size() >= sizeof pendingpath) return -1;
  const sigset_t set = guardedset();
  sigset_t old;
  sigprocmask(SIG_BLOCK, &set, &old);
  const int fd = mkstemp(pattern.data());
  if (fd >= 0) {
    std::memcpy(pendingpath, pattern.c_str(), pattern.size() + 1);
    pending = 1;
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);
  return fd;
}

void tempfileguard::release() {
  pending = 0;
}

}  // namespace tracewell

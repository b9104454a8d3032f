// Temporary files: every signal that ends the process removes them first, and ends it as it would have.
#include "support/tempfile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "testlib/harness.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;

// The sanitizers handle the crash signals themselves, and the guard then leaves them alone (the
// program's code is built with AddressSanitizer whether or not this file is).
#if TRACEWELL_ASAN || defined(__SANITIZE_THREAD__)
constexpr bool crashescaught = false;
#else
constexpr bool crashescaught = true;
#endif

// In a child: makes a guarded file in `dir`, raises `sig`, and exits 3 if the file is still there.
[[noreturn]] void raisewithfile(const fs::path& dir, int sig) {
  rlimit nocore{};
  setrlimit(RLIMIT_CORE, &nocore);  // the crash signals would otherwise leave a core file
  tempfileguard guard;
  std::string name = (dir / ".tracewell-XXXXXX").string();
  if (guard.create(name) >= 0) raise(sig);
  std::exit(fs::exists(name) ? 3 : 0);
}

TEST(TempFileDeathTest, EverySignalThatEndsTheProcessRemovesTheFileFirst) {
  testkit::tempdir dir;
  struct {
    int sig;
    bool crash;
  } cases[] = {{SIGINT, false},  {SIGQUIT, false}, {SIGALRM, false},  {SIGUSR1, false}, {SIGUSR2, false},
               {SIGPIPE, false}, {SIGXCPU, false}, {SIGRTMIN, false}, {SIGSEGV, true},  {SIGBUS, true},
               {SIGILL, true},   {SIGFPE, true},   {SIGABRT, true}};
  for (const auto& c : cases) {
    if (c.crash && !crashescaught) continue;
    EXPECT_EXIT(raisewithfile(dir.path(), c.sig), ::testing::KilledBySignal(c.sig), "") << strsignal(c.sig);
    EXPECT_TRUE(fs::is_empty(dir.path())) << strsignal(c.sig);
  }
  // A signal ignored before the first guard stays ignored: the process and its file go on.
  EXPECT_EXIT(
      {
        signal(SIGUSR1, SIG_IGN);
        raisewithfile(dir.path(), SIGUSR1);
      },
      ::testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace tracewell

// Test helpers: scripted console, captured exits, temporary folders, child processes.
#include "testlib/harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/debuglog.h"
#include "support/process.h"

namespace tracewell::testkit {

std::optional<std::string> scriptedterminal::readrawline() {
  if (pos_ >= input_.size()) return std::nullopt;
  const std::size_t nl = input_.find('\n', pos_);
  std::string line;
  if (nl == std::string::npos) {
    line = input_.substr(pos_);
    pos_ = input_.size();
  } else {
    line = input_.substr(pos_, nl - pos_);
    pos_ = nl + 1;
  }
  return line;
}

session runscripted(const std::string& input, const std::function<void()>& body) {
  session s;
  auto term = std::make_shared<scriptedterminal>(input);
  auto oldterm = setterminal(term);
  auto oldexit = setexithandler([](int status) { throw processexit{status}; });
  auto oldlog = setdebuglog([&s](const text& m) { s.log.push_back(m); });
  try {
    body();
  } catch (const processexit& e) {
    s.exitstatus = e.status;
  }
  setdebuglog(oldlog);
  setexithandler(oldexit);
  setterminal(oldterm);
  s.out = term->out;
  s.err = term->err;
  return s;
}

tempdir::tempdir() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("tracewell-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

tempdir::~tempdir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

struct fifowriter::state {
  std::uint64_t written = 0;
  std::thread thread;
};

fifowriter::fifowriter(const std::filesystem::path& path, std::string bytes, bool zeros)
    : s_(std::make_unique<state>()) {
  if (mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path.string());
  s_->thread = std::thread([path, bytes = std::move(bytes), zeros, s = s_.get()] {
    // The reader leaving must end the writes, not the test program.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 1000; ++tries) {
      fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (fd < 0) return;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const std::string block(65536, '\0');
    for (std::string_view left = bytes; !left.empty() || zeros;) {
      const std::string_view now = left.empty() ? std::string_view(block) : left;
      const ssize_t n = ::write(fd, now.data(), now.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      s->written += static_cast<std::uint64_t>(n);
      if (!left.empty()) left.remove_prefix(static_cast<std::size_t>(n));
    }
    ::close(fd);
    // A broken pipe leaves SIGPIPE pending on this thread; it goes with it.
  });
}

fifowriter::~fifowriter() {
  if (s_->thread.joinable()) s_->thread.join();
}

std::uint64_t fifowriter::written() {
  if (s_->thread.joinable()) s_->thread.join();
  return s_->written;
}

std::string readfile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writefile(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

processresult runprocess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::filesystem::path& cwd,
                         const std::function<void(int pid)>& whilerunning) {
  tempdir io;
  writefile(io / "in", input);
  processresult r;
  const pid_t pid = fork();
  if (pid == 0) {
    std::FILE* in = std::freopen((io / "in").c_str(), "rb", stdin);
    std::FILE* out = std::freopen((io / "out").c_str(), "wb", stdout);
    std::FILE* err = std::freopen((io / "err").c_str(), "wb", stderr);
    if (in == nullptr || out == nullptr || err == nullptr || chdir(cwd.c_str()) != 0) _exit(127);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (whilerunning) whilerunning(pid);
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  r.out = readfile(io / "out");
  r.err = readfile(io / "err");
  return r;
}

std::string freedoom2path() {
  const std::string p = TRACEWELL_FREEDOOM2;
  return std::filesystem::exists(p) ? p : std::string();
}

}  // namespace tracewell::testkit

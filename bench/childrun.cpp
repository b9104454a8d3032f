// Running the real tool as a child process with scripted standard input.
#include "childrun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>

extern char** environ;

namespace tracewell::bench {

namespace {

// Writes all of `bytes` to `fd`; false when the reader went away.
bool writeall(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

childresult runchild(const std::string& exe, const std::string& input, const std::string& workdir,
                     const std::vector<std::string>& args) {
  childresult result;
  const std::string logpath = workdir + "/child-output.txt";
  int pipefd[2];
  if (pipe(pipefd) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipefd[0], 0);
  posix_spawn_file_actions_addclose(&actions, pipefd[0]);
  posix_spawn_file_actions_addclose(&actions, pipefd[1]);
  posix_spawn_file_actions_addopen(&actions, 1, logpath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<std::string> words = {exe};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  // A child that stops reading early must not kill the benchmark.
  std::signal(SIGPIPE, SIG_IGN);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipefd[0]);
  if (spawned != 0) {
    close(pipefd[1]);
    return result;
  }
  result.started = true;
  writeall(pipefd[1], input);
  close(pipefd[1]);
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.wallms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.peakrss = std::int64_t{usage.ru_maxrss} * 1024;
  const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
  result.cpums = ms(usage.ru_utime) + ms(usage.ru_stime);
  std::ifstream log(logpath, std::ios::binary);
  std::ostringstream text;
  text << log.rdbuf();
  result.output = text.str();
  unlink(logpath.c_str());
  return result;
}

}  // namespace tracewell::bench

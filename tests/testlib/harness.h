// Test helpers: scripted console, captured exits, temporary folders, child processes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/terminal.h"

namespace tracewell::testkit {

// A terminal fed from a fixed input text that records everything written.
class scriptedterminal : public terminal {
 public:
  explicit scriptedterminal(std::string input) : input_(std::move(input)) {}
  void write(std::string_view bytes) override { out += bytes; }
  std::optional<std::string> readrawline() override;
  void writeerror(std::string_view bytes) override { err += bytes; }

  std::string out;
  std::string err;

 private:
  std::string input_;
  std::size_t pos_ = 0;
};

// What a piece of code did when run in-process with scripted input.
struct session {
  std::string out;                  // standard output bytes
  std::string err;                  // standard error bytes
  std::optional<int> exitstatus;    // set when the code asked to end the process
  std::vector<std::u16string> log;  // debuglog messages
};

// Runs `body` with `input` as standard input; exit requests are caught.
session runscripted(const std::string& input, const std::function<void()>& body);

// A fresh folder removed with everything in it at the end of the scope.
class tempdir {
 public:
  tempdir();
  ~tempdir();
  tempdir(const tempdir&) = delete;
  tempdir& operator=(const tempdir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Result of a child process.
struct processresult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 when it did not exit normally
  int signal = 0;   // the signal that ended it, or 0
};

// Runs `program` with `args`, feeding `input` on standard input, in folder `cwd`.
// The child starts with the default actions for SIGINT, SIGTERM and SIGHUP.
// `whilerunning`, when given, is called with the child's process id before the
// child is waited for.
processresult runprocess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::filesystem::path& cwd,
                         const std::function<void(int pid)>& whilerunning = nullptr);

// A FIFO made at `path` and a thread that writes `bytes` into it for one
// reader, then, when `zeros` is set, zero bytes until the reader leaves; the
// FIFO closes once all is written. A reader that never comes is waited for
// 10 s at most. `written()` is what the reader was given (blocks until the
// writer is done).
class fifowriter {
 public:
  fifowriter(const std::filesystem::path& path, std::string bytes, bool zeros = false);
  ~fifowriter();
  fifowriter(const fifowriter&) = delete;
  fifowriter& operator=(const fifowriter&) = delete;
  std::uint64_t written();

 private:
  struct state;
  std::unique_ptr<state> s_;
};

std::string readfile(const std::filesystem::path& p);
void writefile(const std::filesystem::path& p, const std::string& bytes);

// Path of Debian's freedoom2.wad, or "" when it is not installed.
std::string freedoom2path();

// How many of freedoom2's maps the whole-WAD loops take: every one, but the first four in the sanitizer
// builds, where those loops cost minutes and find nothing the first maps would not.
#if TRACEWELL_SANITIZED
inline constexpr std::size_t freedoom2mapcount = 4;
#else
inline constexpr std::size_t freedoom2mapcount = 32;
#endif

}  // namespace tracewell::testkit

// What every fuzz target shares: a silent console, exit requests as exceptions, a file sandbox.
#include "fuzzhooks.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "support/debuglog.h"
#include "support/process.h"
#include "support/terminal.h"

namespace tracewell::fuzz {

namespace {

// Feeds fixed input lines and discards all output.
class quietterminal : public terminal {
 public:
  explicit quietterminal(std::string_view input) : input_(input) {}
  void write(std::string_view) override {}
  void writeerror(std::string_view) override {}
  std::optional<std::string> readrawline() override {
    if (pos_ >= input_.size()) return std::nullopt;
    const std::size_t nl = input_.find('\n', pos_);
    const std::size_t end = nl == std::string_view::npos ? input_.size() : nl;
    std::string line(input_.substr(pos_, end - pos_));
    pos_ = nl == std::string_view::npos ? input_.size() : nl + 1;
    return line;
  }

 private:
  std::string_view input_;
  std::size_t pos_ = 0;
};

std::string sandboxroot;  // canonical workfolder path plus '/'; empty until workfolder()

// True when `path` names something inside the sandbox: its folder, resolved
// through symlinks, lies in it (the file itself may not exist yet).
bool insandbox(const char* path) {
  std::string p = path;
  if (p.empty()) return true;  // fails to open anyway
  if (p[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return false;
    p = std::string(cwd) + "/" + p;
  }
  const std::size_t cut = p.rfind('/');
  const std::string folder = cut == 0 ? "/" : p.substr(0, cut);
  char resolved[PATH_MAX];
  if (realpath(folder.c_str(), resolved) == nullptr) return true;  // missing folder: fopen fails
  std::string r = resolved;
  if (r.back() != '/') r += '/';
  if (r.compare(0, sandboxroot.size(), sandboxroot) != 0) return false;
  // The last part must not climb out ("x/..") or be a link out of the folder.
  const std::string last = p.substr(cut + 1);
  if (last == "..") return false;
  char target[PATH_MAX];
  if (realpath(p.c_str(), target) != nullptr) {
    std::string t = std::string(target) + "/";
    return t.compare(0, sandboxroot.size(), sandboxroot) == 0;
  }
  return true;
}

// libFuzzer ends with _Exit, so no exit hook runs: each process names its
// folder after its pid and removes the folders of processes that are gone.
void removestalefolders(const std::filesystem::path& base) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
    const std::string name = entry.path().filename().string();
    const std::string prefix = "tracewell-fuzz-";
    if (name.rfind(prefix, 0) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      std::filesystem::remove_all(entry.path(), ec);
    }
  }
}

}  // namespace

const std::filesystem::path& workfolder() {
  static const std::filesystem::path folder = [] {
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    removestalefolders(base);
    std::string tmpl = (base / ("tracewell-fuzz-" + std::to_string(getpid()) + "-XXXXXX")).string();
    if (mkdtemp(tmpl.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    std::filesystem::path made = std::filesystem::canonical(tmpl);
    sandboxroot = made.string() + "/";
    return made;
  }();
  return folder;
}

inworkfolder::inworkfolder() {
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr || chdir(workfolder().c_str()) != 0)
    broken("cannot enter the work folder");
  previous_ = cwd;
}

inworkfolder::~inworkfolder() {
  if (chdir(previous_.c_str()) != 0) broken("cannot leave the work folder");
}

std::optional<int> runquiet(std::string_view input, const std::function<void()>& body) {
  return runwith(std::make_shared<quietterminal>(input), body);
}

std::optional<int> runwith(std::shared_ptr<terminal> term, const std::function<void()>& body) {
  auto oldterm = setterminal(std::move(term));
  auto oldexit = setexithandler([](int status) { throw processexit{status}; });
  auto oldlog = setdebuglog([](const text&) {});
  std::optional<int> status;
  try {
    body();
  } catch (const processexit& e) {
    status = e.status;
  }
  setdebuglog(oldlog);
  setexithandler(oldexit);
  setterminal(oldterm);
  return status;
}

void writefile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) broken("cannot write " + path.string());
}

std::string readfile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void clearfolder(const std::filesystem::path& folder, std::initializer_list<std::string_view> keep) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    bool kept = false;
    for (std::string_view k : keep) kept = kept || name == k;
    if (!kept) std::filesystem::remove_all(entry.path(), ec);
  }
}

void broken(const std::string& what) {
  std::fprintf(stderr, "\nBROKEN PROMISE: %s\n", what.c_str());
  std::abort();
}

}  // namespace tracewell::fuzz

// The program's own code is rebuilt with its file-system calls renamed to
// these (see fuzz/CMakeLists.txt), so that a path outside the work folder
// fails as if permission were denied. libFuzzer's own files are not affected.
namespace {
bool refused(const char* path) {
  using tracewell::fuzz::sandboxroot;
  if (sandboxroot.empty() || path == nullptr || tracewell::fuzz::insandbox(path)) return false;
  errno = EACCES;
  return true;
}
}  // namespace

extern "C" {
std::FILE* twfuzz_fopen(const char* path, const char* mode) {
  return refused(path) ? nullptr : std::fopen(path, mode);
}
int twfuzz_open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  return refused(path) ? -1 : open(path, flags, mode);
}
int twfuzz_mkstemp(char* pattern) {
  return refused(pattern) ? -1 : mkstemp(pattern);
}
int twfuzz_rename(const char* from, const char* to) {
  return refused(from) || refused(to) ? -1 : std::rename(from, to);
}
int twfuzz_remove(const char* path) {
  return refused(path) ? -1 : std::remove(path);
}
int twfuzz_unlink(const char* path) {
  return refused(path) ? -1 : unlink(path);
}
int twfuzz_mkdir(const char* path, mode_t mode) {
  return refused(path) ? -1 : mkdir(path, mode);
}
}

// Output files that replace their target only once complete, whatever writes them.
#include "support/outputfile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <optional>
#include <string>

#include "support/tempfile.h"

namespace tracewell {

namespace {

// Bytes gathered before they go to the file, so that it sees few large writes.
constexpr std::size_t streambuffersize = std::size_t{1} << 20;

// The umask can only be read by setting it; files made side by side must
// not see each other's zero in between.
std::mutex umaskmutex;

// New files get the usual permissions (0666 less the umask), not mkstemp's 0600.
// A file system without permission bits may refuse; the file is fine anyway.
void setusualmode(int fd) {
  mode_t mask = 0;
  {
    const std::lock_guard lock(umaskmutex);
    mask = umask(0);
    umask(mask);
  }
  (void)fchmod(fd, 0666 & ~mask);
}

// A replaced file keeps its permission bits, and for root its owner and group
// (an ordinary user cannot give a file away). A file that root cannot give back
// to its owner is not written: the owner would lose it.
bool keepattributes(int fd, const struct stat& old) {
  if (geteuid() == 0 && fchown(fd, old.st_uid, old.st_gid) != 0) return false;
  (void)fchmod(fd, old.st_mode & 0777);
  return true;
}

// Links are followed this many times at most, as the system itself does.
constexpr int maxlinkhops = 40;

// Follows the symbolic links at `target` to the file they finally name; `st`
// describes it when `exists`. False when a link cannot be read, they run too
// long (or in a circle), or the path cannot be looked at for another reason
// than naming nothing; errno then says why. A relative link is taken from the folder of the link.
bool followlinks(std::string& target, struct stat& st, bool& exists) {
  for (int hop = 0; hop <= maxlinkhops; ++hop) {
    if (lstat(target.c_str(), &st) != 0) {
      exists = false;
      return errno == ENOENT;
    }
    exists = true;
    if (!S_ISLNK(st.st_mode)) return true;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = readlink(target.c_str(), link.data(), link.size());
    if (n <= 0) return false;
    if (static_cast<std::size_t>(n) >= link.size()) {
      errno = ENAMETOOLONG;
      return false;
    }
    link.resize(static_cast<std::size_t>(n));
    const std::size_t cut = target.find_last_of('/');
    if (link.front() == '/' || cut == std::string::npos) {
      target = link;
    } else {
      target.resize(cut + 1);  // a relative link is taken from the link's own folder
      target += link;
    }
  }
  errno = ELOOP;
  return false;
}

}  // namespace

struct outputfile::state {
  std::optional<failure::reason> problem;  // the first one met
  int problemerrno = 0;                    // the system's error number of that one; 0 for none
  std::string target;                      // where the bytes finally go
  std::string temp;                        // the new file beside it; empty when writing the target in place
  std::unique_ptr<tempfileguard> guard;
  std::FILE* file = nullptr;  // open until finished
  std::vector<char> buffer;   // the stream's buffer, alive while the stream is
  bool committed = false;
  int closeerrno = 0;  // why a write into the stream or its close failed, as far as known

  void fail(failure::reason why, int err = 0) {
    if (problem) return;
    problem = why;
    problemerrno = err;
  }

  outputstatus outcome() const {
    if (problem) return failure::because(*problem, {}, static_cast<std::uint32_t>(problemerrno));
    return {};
  }

  // Closes the stream; false when it had failed or could not write out its buffer.
  bool close() {
    if (file == nullptr) return true;
    const bool ok = std::ferror(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!closed && closeerrno == 0) closeerrno = errno;
    file = nullptr;
    return ok && closed;
  }

  // The new file goes; the target stays as it was.
  void discard() {
    close();
    if (!temp.empty()) {
      std::remove(temp.c_str());
      guard->release();
      temp.clear();
    }
  }

  // Buffers the stream opened on `fd`, or closes `fd` and fails. `lines`: each line goes out as it ends.
  void attach(int fd, bool lines = false) {
    file = fdopen(fd, "wb");
    if (file == nullptr) {
      const int err = errno;
      ::close(fd);
      fail(failure::reason::cannotcreate, err);
      return;
    }
    buffer.resize(streambuffersize);
    std::setvbuf(file, buffer.data(), lines ? _IOLBF : _IOFBF, buffer.size());
  }
};

outputfile::outputfile(std::unique_ptr<state> s) : state_(std::move(s)) {}
outputfile::outputfile(outputfile&&) noexcept = default;
outputfile& outputfile::operator=(outputfile&& other) noexcept {
  if (this != &other) {
    if (state_) state_->discard();
    state_ = std::move(other.state_);
  }
  return *this;
}

outputfile::~outputfile() {
  if (state_ && !state_->committed) state_->discard();
}

outputfile outputfile::open(const text& path, const std::vector<fileid>& keep, outputkind kind) {
  outputfile out(std::make_unique<state>());
  state& st = *out.state_;
  if (path.empty() || !usablepath(path)) {
    st.fail(failure::reason::badpath);
    return out;
  }
  st.target = nativepath(path);
  struct stat found {};
  bool exists = false;
  if (!followlinks(st.target, found, exists)) {
    st.fail(failure::reason::brokenlink, errno);
    return out;
  }
  if (exists) {
    const fileid id{static_cast<std::uint64_t>(found.st_dev), static_cast<std::uint64_t>(found.st_ino)};
    if (std::find(keep.begin(), keep.end(), id) != keep.end()) {
      st.fail(failure::reason::owninput);
      return out;
    }
    // A device node takes the bytes as they come, and a reader at a FIFO wants records as they are
    // settled: there is nothing to replace. An image into a FIFO would only ever be half read.
    const bool fifo = kind == outputkind::records && S_ISFIFO(found.st_mode);
    if (S_ISCHR(found.st_mode) || fifo) {
      const int fd = ::open(st.target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (fd < 0) {
        st.fail(failure::reason::notwritable, errno);
      } else {
        st.attach(fd, kind == outputkind::records);
      }
      return out;
    }
    if (!S_ISREG(found.st_mode)) {
      st.fail(failure::reason::notregular, S_ISDIR(found.st_mode) ? EISDIR : 0);
      return out;
    }
    if (access(st.target.c_str(), W_OK) != 0) {
      st.fail(failure::reason::notwritable, errno);
      return out;
    }
  }
  // The new file goes beside the target, so the final rename stays within one file system.
  st.temp = st.target.substr(0, st.target.find_last_of('/') + 1) + ".tracewell-XXXXXX";
  st.guard = std::make_unique<tempfileguard>();
  const int fd = st.guard->create(st.temp);
  if (fd < 0) {
    st.temp.clear();
    st.fail(failure::reason::cannotcreate, errno);
    return out;
  }
  if (!exists) {
    setusualmode(fd);
  } else if (!keepattributes(fd, found)) {
    const int err = errno;
    ::close(fd);
    st.fail(failure::reason::cannotkeepowner, err);
    st.discard();
    return out;
  }
  st.attach(fd);
  if (st.file == nullptr) st.discard();
  return out;
}

outputstatus outputfile::status() const {
  return state_->outcome();
}

std::FILE* outputfile::stream() {
  return state_->problem ? nullptr : state_->file;
}

void outputfile::write(const void* data, std::size_t size) {
  std::FILE* f = stream();
  if (f == nullptr) return;
  if (size > 0 && std::fwrite(data, 1, size, f) != size) state_->fail(failure::reason::writefailed, errno);
}

void outputfile::abandon() {
  state_->fail(failure::reason::nocontent);
  state_->discard();
}

outputstatus outputfile::finish() {
  state& st = *state_;
  if (st.file != nullptr && !st.close()) st.fail(failure::reason::writefailed, st.closeerrno);
  st.buffer = {};
  if (st.problem) st.discard();
  return st.outcome();
}

outputstatus outputfile::commit() {
  state& st = *state_;
  if (!finish().ok() || st.committed) return st.outcome();
  if (!st.temp.empty()) {
    if (std::rename(st.temp.c_str(), st.target.c_str()) != 0) {
      st.fail(failure::reason::renamefailed, errno);
      st.discard();
      return st.outcome();
    }
    st.guard->release();
    st.temp.clear();
  }
  st.committed = true;
  return {};
}

}  // namespace tracewell

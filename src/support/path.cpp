// File paths: '\' and '/' both separate folders.
#include "support/path.h"

#include <sys/stat.h>

#include <cerrno>

namespace tracewell {

std::string nativepath(const text& path) {
  std::string out = tosystembytes(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

text pathfrombytes(const text& bytes) {
  return fromutf8(tobytes(bytes));
}

bool usablepath(const text& path) {
  return path.find(u'\0') == text::npos;
}

text directorypart(const text& path) {
  const std::size_t cut = path.find_last_of(u"/\\");
  return cut == text::npos ? text() : path.substr(0, cut);
}

std::optional<fileid> identify(const text& path) {
  struct stat st {};
  if (!usablepath(path) || stat(nativepath(path).c_str(), &st) != 0) return std::nullopt;
  return fileid{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool uptodate(const text& output, const text& input) {
  struct stat out {};
  struct stat in {};
  if (!usablepath(output) || !usablepath(input)) return false;
  if (stat(nativepath(output).c_str(), &out) != 0 || stat(nativepath(input).c_str(), &in) != 0) return false;
  if (!S_ISREG(out.st_mode) || out.st_size <= 0) return false;
  if (out.st_mtim.tv_sec != in.st_mtim.tv_sec) return out.st_mtim.tv_sec > in.st_mtim.tv_sec;
  return out.st_mtim.tv_nsec >= in.st_mtim.tv_nsec;
}

bool makefolders(const text& path) {
  if (!usablepath(path)) return false;
  const std::string native = nativepath(path);
  for (std::size_t i = 1; i <= native.size(); ++i) {
    if (i < native.size() && native[i] != '/') continue;
    const std::string part = native.substr(0, i);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace tracewell

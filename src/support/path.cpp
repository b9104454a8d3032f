// File paths: '\' and '/' both separate folders.
#include "support/path.h"

#include <sys/stat.h>

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

}  // namespace tracewell

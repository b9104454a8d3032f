// File paths: '\' and '/' both separate folders.
#include "support/path.h"

namespace tracewell {

std::string nativepath(const text& path) {
  std::string out = toutf8(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool usablepath(const text& path) {
  return path.find(u'\0') == text::npos;
}

text directorypart(const text& path) {
  const std::size_t cut = path.find_last_of(u"/\\");
  return cut == text::npos ? text() : path.substr(0, cut);
}

}  // namespace tracewell

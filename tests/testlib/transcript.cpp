// Console transcripts and output folders as tests of the whole tool see them.
#include "testlib/transcript.h"

#include <algorithm>

namespace tracewell::testkit {

std::string crlf(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s.substr(i, 4) == "<LF>") {
      out += '\n';
      i += 3;
    } else if (s[i] == '\n') {
      out += "\r\n";
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string leaveblank(const std::string& prompt, const std::string& value) {
  return prompt + "\n(Leave blank for \"" + value + "\")\n> ";
}

std::vector<std::string> filesin(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tracewell::testkit

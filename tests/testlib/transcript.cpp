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

namespace {

// `prompt`, asked once more after each of `refusals` refusals.
std::string askedagain(const std::string& prompt, int refusals, const std::string& refusal) {
  std::string out = prompt;
  for (int i = 0; i < refusals; ++i) out += refusal + "\n" + prompt;
  return out;
}

}  // namespace

std::string dialoguetext::str() const {
  const std::string wadprompt = leaveblank("Input WAD path?", wad);
  std::string out = opening.empty() ? wadprompt : opening;
  for (const std::string& refusal : wadrefusals) out += refusal + "\n" + wadprompt;
  return out + "Maps in WAD:\n MAP01 MAP02 MAPINFO\n" +
         askedagain("Input map? (Input \"ALL\" to output all maps.)\n> ", maprefusals,
                    "Invalid map name. Try again?") +
         // The format prompt ends in a space.
         askedagain(leaveblank("Input WAD format? (Options: Doom, Hexen, ZDoom) ", format), formatrefusals,
                    "Invalid map format. Try again?") +
         leaveblank("Input automap image width?", width) + leaveblank("Input automap image height?", height) +
         leaveblank("Input automap image margins?", margin) + "Available color schemes:\nPlain<LF>Red\n" +
         askedagain(leaveblank("Input automap color scheme?", scheme), schemerefusals,
                    "Invalid color scheme. Try again?") +
         leaveblank("Input automap PNG path? (Note: * replaced by date/time. % by map name.)", output);
}

std::vector<std::string> filesin(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tracewell::testkit

// Console transcripts and output folders as tests of the whole tool see them.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tracewell::testkit {

// Console output as the tool writes it: every "\n" of `s` becomes CR LF, and
// each "<LF>" a bare line feed (the separator inside the map and scheme lists).
std::string crlf(std::string_view s);

// A prompt with a default, as the dialogue prints it, up to the answer marker.
std::string leaveblank(const std::string& prompt, const std::string& value);

// The tool's opening lines, printed before the first prompt.
inline const std::string banner =
    "Tracewell v1.0\nOutput PNG images of maps in WADs in the same visual style as DOOM's automap.\n";

// One pass through the dialogue as it prints it (line ends as crlf takes
// them), up to the answer marker of the output path prompt. The defaults are
// those of the test folder (toolfolder.h). Each refusal is printed after an
// answer, before its prompt is asked again.
struct dialoguetext {
  std::string wad = "test.wad", format = "Doom", width = "64", height = "48", margin = "4", scheme = "Red",
              output = "out/%.png";
  std::string opening;                   // printed instead of the first WAD prompt, when not empty
  std::vector<std::string> wadrefusals;  // the lines printed, e.g. "Error opening WAD file. Try again?"
  int maprefusals = 0, formatrefusals = 0, schemerefusals = 0;

  std::string str() const;
};

// The names of the files in `folder` (no sub-folders' contents), sorted.
std::vector<std::string> filesin(const std::filesystem::path& folder);

}  // namespace tracewell::testkit

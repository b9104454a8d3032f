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

// The names of the files in `folder` (no sub-folders' contents), sorted.
std::vector<std::string> filesin(const std::filesystem::path& folder);

}  // namespace tracewell::testkit

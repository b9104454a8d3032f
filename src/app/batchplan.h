// Where a run over several inputs puts each input's images: one folder per input below --dest.
#pragma once

#include <vector>

#include "support/text.h"

namespace tracewell {

// The input's file name without its last extension: "freedoom2" for
// "/usr/share/games/doom/freedoom2.wad". A leading dot starts no extension.
// A name that could not be a folder of its own ("", ".", "..") gives "_".
text inputstem(const text& path);

// The folder name of each input, in argument order: its stem, or the smallest
// "STEM-k" (k >= 2) that no earlier input took nor `reserved` holds. Compared exactly, so two
// spellings of one file still get two folders.
std::vector<text> inputfolders(const std::vector<text>& paths, const std::vector<text>& reserved = {});

// The file-name part of an output pattern: "%.png" of "/home/me/maps/%.png".
text patternfilename(const text& pattern);

// True when `relative`, a path to be joined below a folder, would leave it:
// it is absolute ('/' or '\' first, or a drive letter) or has a ".." segment.
bool leavesfolder(const text& relative);

}  // namespace tracewell

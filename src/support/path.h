// File paths: '\' and '/' both separate folders.
#pragma once

#include <string>

#include "support/text.h"

namespace tracewell {

// The path as the file system takes it: UTF-8, with '\' turned into '/'.
// Drive-letter paths are passed through otherwise unchanged.
std::string nativepath(const text& path);

// The text before the last '/' or '\', or "" when there is none.
text directorypart(const text& path);

}  // namespace tracewell

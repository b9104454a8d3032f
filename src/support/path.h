// File paths: '\' and '/' both separate folders.
#pragma once

#include <string>

#include "support/text.h"

namespace tracewell {

// The path as the file system takes it: UTF-8, with '\' turned into '/'.
// Drive-letter paths are passed through otherwise unchanged.
std::string nativepath(const text& path);

// False when `path` holds a NUL character. No file name can, and the system
// would take the path as ending there, so such a path must be refused (not
// opened, not created) rather than cut short.
bool usablepath(const text& path);

// The text before the last '/' or '\', or "" when there is none.
text directorypart(const text& path);

}  // namespace tracewell

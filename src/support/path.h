// File paths: '\' and '/' both separate folders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "support/text.h"

namespace tracewell {

// The path as the file system takes it: UTF-8, with '\' turned into '/', and
// each byte that fromutf8 could not decode given back as itself, so that a
// path the console or the system gave reaches the file system byte for byte.
// Drive-letter paths are passed through otherwise unchanged.
std::string nativepath(const text& path);

// A path read from a file as code units 0..255 (see frombytes), taken as the
// console's paths are (see fromutf8), so that its bytes reach the file system unchanged.
text pathfrombytes(const text& bytes);

// False when `path` holds a NUL character. No file name can, and the system
// would take the path as ending there, so such a path must be refused (not
// opened, not created) rather than cut short.
bool usablepath(const text& path);

// The text before the last '/' or '\', or "" when there is none.
text directorypart(const text& path);

// Which file a path names, as the file system tells: two paths with equal ids
// name the same file, whatever links or spellings lead to it.
struct fileid {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const fileid&) const = default;
};

// The id of the file `path` names (symbolic links followed); nullopt when it
// names none or cannot be looked at.
std::optional<fileid> identify(const text& path);

// True when `output` is a regular, non-empty file modified no earlier than
// `input` (both with symbolic links followed): a picture drawn from this
// input already. False when either cannot be looked at.
bool uptodate(const text& output, const text& input);

// Makes the folder `path` and every missing folder above it. False when one
// cannot be made or a part of the path is no folder.
bool makefolders(const text& path);

}  // namespace tracewell

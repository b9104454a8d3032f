// The manifest of a batch run: one JSON object per map, one per line (JSON Lines).
#pragma once

#include <memory>
#include <string>

#include "app/maprun.h"
#include "support/tempfile.h"
#include "support/text.h"

namespace tracewell {

// The record as one JSON object without a line end. Text is taken as bytes
// (code units 0..255) that should be UTF-8; what is not shows as U+FFFD. A
// failed map has null map fields; the bounds are given with y as the file
// stores it, in map units.
std::string manifestline(const mapoutcome& record);

// Where the manifest's lines go: standard output, flushed line by line, or a
// file written beside its target and renamed into place when the run ends.
class manifestwriter {
 public:
  manifestwriter() = default;
  ~manifestwriter();
  manifestwriter(const manifestwriter&) = delete;
  manifestwriter& operator=(const manifestwriter&) = delete;

  // Starts the manifest at `path` ("-": standard output). False when its
  // temporary file cannot be made.
  bool open(const text& path);
  // Adds one line; a line that cannot be written makes `close` fail.
  void add(const mapoutcome& record);
  // Puts the file in place. False when any of it could not be written.
  bool close();

 private:
  text path_;
  std::string temporary_;
  int fd_ = -1;
  bool tostdout_ = false;
  bool failed_ = false;
  std::unique_ptr<tempfileguard> guard_;
};

}  // namespace tracewell

// Temporary files that an interrupt must not leave behind.
#pragma once

#include <string>

namespace tracewell {

// While alive, SIGINT, SIGTERM and SIGHUP first remove the temporary file made
// through create and then end the process as they would have without it.
// Signals that the process ignores or handles itself are left alone. Signal
// actions are process-wide: one guard at a time. The guard keeps only the
// file's name; its owner renames or removes the file and then calls release.
class tempfileguard {
 public:
  tempfileguard();
  // Forgets the file (without removing it) and restores the signal actions.
  ~tempfileguard();
  tempfileguard(const tempfileguard&) = delete;
  tempfileguard& operator=(const tempfileguard&) = delete;

  // Makes a new file from `pattern` as mkstemp does (the name ends in
  // "XXXXXX", replaced in place); no signal can come between its creation and
  // its registration. The open descriptor, or -1 when no file was made (also
  // when the name is too long to keep).
  int create(std::string& pattern);
  // The file is gone or renamed: a signal no longer removes anything.
  void release();

 private:
  bool installed_[3] = {};
};

}  // namespace tracewell

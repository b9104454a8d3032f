// Temporary files that an interrupt must not leave behind.
#pragma once

#include <cstddef>
#include <string>

namespace tracewell {

// While any guard is alive, every signal whose default action ends the
// process (all that can be caught, crashes such as SIGSEGV included) first
// removes every temporary file made through create and not yet released, and
// then ends the process as it would have without guards; SIGXFSZ is ignored,
// so that a file-size limit makes the write fail (EFBIG) instead. Signals that
// the process ignores or handles itself when the first guard is made are left
// alone. Guards may live on several threads at once, up to `maxfiles` of them
// holding a file. A guard keeps only the file's name; its owner renames or
// removes the file and then calls release.
class tempfileguard {
 public:
  // Files held at once by all guards together.
  static constexpr std::size_t maxfiles = 64;

  tempfileguard();
  // Forgets the file (without removing it); the last guard restores the signal actions.
  ~tempfileguard();
  tempfileguard(const tempfileguard&) = delete;
  tempfileguard& operator=(const tempfileguard&) = delete;

  // Makes a new file from `pattern` as mkstemp does (the name ends in
  // "XXXXXX", replaced in place); no signal can come between its creation and
  // its registration. The open descriptor, or -1 when no file was made (also
  // when the name is too long to keep, when this guard holds a file already,
  // or when maxfiles files are held), errno then saying why.
  int create(std::string& pattern);
  // The file is gone or renamed: a signal no longer removes it.
  void release();

 private:
  int slot_ = -1;  // where the file's name is kept for the handler, or -1
};

}  // namespace tracewell

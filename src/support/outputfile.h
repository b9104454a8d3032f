// Output files that replace their target only once complete, whatever writes them.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <vector>

#include "support/failure.h"
#include "support/path.h"
#include "support/text.h"

namespace tracewell {

// What an output holds, for the targets it may take besides regular files.
enum class outputkind {
  file,     // a whole file (an image): a character device is written directly, a FIFO refused
  records,  // lines that a reader may take as they come (the manifest): an existing FIFO is written
            // directly too, and each line reaches a device or FIFO as soon as it is written
};

// Success, or why not: a notice whose reason (failure::reason, from badpath
// to renamefailed) says why the file was refused or not written.
using outputstatus = status;

// One file being written. open looks at the target and makes a new file
// beside it; the writer puts its bytes into stream() (or write); finish
// closes the new file and says whether every byte reached it; commit renames
// it onto the target. finish may run on a worker thread and commit later on
// another, so that files that share a name end in the order their commits
// come. A file never committed is removed, leaving any older target as it was;
// while it exists, a signal that ends the process removes it first (see
// tempfileguard).
//
// The target is the file that `path` finally names through symbolic links
// (the links stay). A replaced file keeps its permission bits and, for root,
// its owner and group; a new one gets 0666 less the umask. A character device
// is written to directly (commit then does nothing), and so is a FIFO for
// `outputkind::records`. The target is refused
// when it is another kind of file that is not a regular one, a regular file
// the user may not write (access W_OK), or one of the files in `keep` (the
// program's own inputs). Several threads may write their own files at once.
class outputfile {
 public:
  // A refused open gives a file whose status() says why; writing to it is ignored.
  static outputfile open(const text& path, const std::vector<fileid>& keep = {},
                         outputkind kind = outputkind::file);

  outputfile(outputfile&&) noexcept;
  outputfile& operator=(outputfile&&) noexcept;
  ~outputfile();

  // The first problem met so far.
  outputstatus status() const;
  // The open stream, fully buffered; nullptr once finished or when refused.
  std::FILE* stream();
  // Appends bytes; a failure shows in status() and in finish.
  void write(const void* data, std::size_t size);
  // The writer could not make all its bytes: the new file goes, commit reports nocontent.
  void abandon();
  // Writes out the buffer and closes the new file. Harmless when done already.
  outputstatus finish();
  // Finishes, then puts the file in its target's place.
  outputstatus commit();

 private:
  struct state;
  explicit outputfile(std::unique_ptr<state> s);
  std::unique_ptr<state> state_;
};

}  // namespace tracewell

// Failures as values: what a lower layer could not do, carried up to the app layer, which alone reports it.
//
// Every layer returns result<T> (a value or a failure) or status (only the possible failure) rather
// than throwing: each failure here is an expected outcome of bad input, one kind lets the run go on,
// and a returned value makes every caller on the way up visibly decide what to do with it. C++20
// has no std::expected, so result is a small one over std::variant.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "support/text.h"

namespace tracewell {

struct failure {
  enum class kind {
    notice,       // lines to print; the program then goes on (may be no lines at all)
    fatal,        // the fatal stop with one message line
    readstream,   // a byte stream could not be read: the stream message, status 255
    writestream,  // a byte stream could not be written: the stream message, status 255
    nomemory,     // memory could not be had for the work (a buffer, a list): its reason; the run goes on
  };

  // What could not be done, for a caller that tells failures apart or words
  // them itself (the app layer words the archive-entry ones); unspecified
  // where the lines say all there is to say.
  enum class reason {
    unspecified,
    cannotopen,   // no such file, not a regular file, or it cannot be opened
    notparsable,  // not the format asked for, or its directory is damaged
    noentry,      // an archive has no entry of that index
    encrypted,    // the entry needs a password
    unsupported,  // the entry's compression method (`detail`) cannot be decompressed
    damaged,      // the entry's data fails to decompress, has the wrong size or fails its CRC
    toolarge,     // the entry is over the size limit, or memory ran out for it
    notawad,      // the bytes (a file's, an archive entry's) are no valid WAD
    nosignature,  // a stream failure: the bytes end before a WAD's four-byte signature is whole
    overlimit,    // a pipe or device gives more bytes than may be read into memory
    overlaps,     // the entry's data overlaps another entry's
    overbudget,   // inflating the entry would pass what one opening of the archive may inflate
    nomaps,       // a source that can be read lists no map
    badvertex,    // a linedef names a vertex the map does not have
    badsidedef,   // a linedef names a sidedef the map does not have
    cutshort,     // a map lump ends exactly where a record should begin
    // Why an output file was refused or not written (support/outputfile.h); `detail` holds the
    // system's error number where one applies.
    badpath,          // empty, or holds a NUL character
    brokenlink,       // links unreadable or in a circle, or the path cannot be looked at
    owninput,         // the target is one of the program's own inputs or its settings file
    notregular,       // a folder, pipe, socket or block device
    notwritable,      // a regular file the user may not write
    cannotcreate,     // no new file could be made beside the target (missing or closed folder)
    cannotkeepowner,  // root could not give the new file the replaced file's owner
    nocontent,        // the writer gave up before making all its bytes
    writefailed,      // the file system refused bytes (full, over the size limit, an I/O error)
    renamefailed,     // the complete file could not take the target's place
  };

  kind what = kind::notice;
  std::vector<text> lines;  // in the order they are printed
  reason why = reason::unspecified;
  text subject;              // what `why` concerns: an archive entry's name as stored
  std::uint32_t detail = 0;  // a number `why` names: a ZIP compression method, an output's errno (0: none)

  static failure notice(std::vector<text> lines) {
    return {kind::notice, std::move(lines), reason::unspecified, {}, 0};
  }
  static failure fatal(text message) {
    return {kind::fatal, {std::move(message)}, reason::unspecified, {}, 0};
  }
  static failure readstream() {
    return {kind::readstream, {u"Error reading from stream"}, reason::unspecified, {}, 0};
  }
  static failure writestream() {
    return {kind::writestream, {u"Error writing to stream"}, reason::unspecified, {}, 0};
  }
  // A fatal stop whose reason the app layer words.
  static failure stop(reason why) { return {kind::fatal, {}, why, {}, 0}; }
  static failure nomemory(text why) { return {kind::nomemory, {std::move(why)}, reason::unspecified, {}, 0}; }
  // A notice without lines: the reason alone says what went wrong.
  static failure because(reason why, text subject = {}, std::uint32_t detail = 0) {
    return {kind::notice, {}, why, std::move(subject), detail};
  }
  // The same failure, concerning `what` (when it names nothing yet).
  failure about(const text& what) && {
    if (subject.empty()) subject = what;
    return std::move(*this);
  }

  bool operator==(const failure&) const = default;
};

// A T, or the failure that prevented it. REQUIRES for value(): ok(); for error(): !ok().
template <typename T>
class [[nodiscard]] result {
 public:
  // Implicit both ways, so that a function returns a value or a failure plainly.
  // cppcheck-suppress noExplicitConstructor
  result(T value) : held_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
  // cppcheck-suppress noExplicitConstructor
  result(failure f) : held_(std::in_place_index<1>, std::move(f)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return held_.index() == 0; }
  T& value() & { return std::get<0>(held_); }
  const T& value() const& { return std::get<0>(held_); }
  T&& value() && { return std::get<0>(std::move(held_)); }
  const failure& error() const { return std::get<1>(held_); }

 private:
  std::variant<T, failure> held_;
};

// No value: success, or the failure.
template <>
class [[nodiscard]] result<void> {
 public:
  result() = default;
  // cppcheck-suppress noExplicitConstructor
  result(failure f) : failed_(std::move(f)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return !failed_; }
  const failure& error() const { return *failed_; }

 private:
  std::optional<failure> failed_;
};

using status = result<void>;

}  // namespace tracewell

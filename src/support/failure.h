// Failures as values: what a lower layer could not do, carried up to the app layer, which alone reports it.
//
// Every layer returns result<T> (a value or a failure) or status (only the possible failure) rather
// than throwing: each failure here is an expected outcome of bad input, one kind lets the run go on,
// and a returned value makes every caller on the way up visibly decide what to do with it. C++20
// has no std::expected, so result is a small one over std::variant.
#pragma once

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
  };

  kind what = kind::notice;
  std::vector<text> lines;  // in the order they are printed

  static failure notice(std::vector<text> lines) { return {kind::notice, std::move(lines)}; }
  static failure fatal(text message) { return {kind::fatal, {std::move(message)}}; }
  static failure readstream() { return {kind::readstream, {u"Error reading from stream"}}; }
  static failure writestream() { return {kind::writestream, {u"Error writing to stream"}}; }

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

// The console as the program sees it: lines out with CR LF, lines in as UTF-8.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "support/text.h"

namespace tracewell {

// The longest input line taken, in bytes (line feed not counted). No answer
// means anything near this long (no path is longer than 4096 bytes), and a
// bound keeps a hostile line from taking all memory: a longer line ends the
// input, as if the input stopped where it starts.
inline constexpr std::size_t longestline = std::size_t{1} << 20;

// Raw console access. The real program uses standard input, output and error;
// tests install a scripted one.
class terminal {
 public:
  virtual ~terminal() = default;
  // Writes bytes to standard output and flushes them.
  virtual void write(std::string_view bytes) = 0;
  // Reads bytes up to a line feed (dropped); nullopt at end of input with
  // nothing read. A last line without a line feed is still a line.
  virtual std::optional<std::string> readrawline() = 0;
  // Writes bytes to standard error.
  virtual void writeerror(std::string_view bytes) = 0;
  // Whether standard error is a terminal a person watches (progress goes there).
  virtual bool errorisinteractive() { return false; }
  // Why the first write to standard output that failed did (the system's
  // words); nullopt while every write went through.
  virtual std::optional<text> outputfailure() const { return std::nullopt; }
};

// Standard input, output and error. A line longer than longestline, or one
// that memory cannot hold, ends the input: that read and every later one give
// nullopt, and the rest of the line is never read.
class stdterminal : public terminal {
 public:
  void write(std::string_view bytes) override;
  std::optional<std::string> readrawline() override;
  void writeerror(std::string_view bytes) override;
  bool errorisinteractive() override;
  std::optional<text> outputfailure() const override { return outputfailure_; }

 private:
  bool ended_ = false;
  std::optional<text> outputfailure_;
};

// The process-wide terminal; stdterminal until replaced. Returns the previous one.
std::shared_ptr<terminal> setterminal(std::shared_ptr<terminal> t);
terminal& currentterminal();

// Prints `line` as UTF-8, then CR LF, and flushes.
void printline(const text& line);

// Prints `line` as UTF-8, then LF: the command line's own lines, on standard
// output and on standard error.
void printplainline(const text& line);
void printerrorline(const text& line);

// One line of progress on standard error, redrawn in place, when standard
// error is interactive; nothing otherwise. Every other line printed through
// this module (and every prompt) erases it first, so it never mixes with them.
void showprogress(const text& line);
// Erases the progress line, if one is shown.
void clearprogress();

// Writes `prompt` with no line end, flushes, reads one line, drops every CR
// and decodes UTF-8. nullopt at end of input, which a line longer than
// longestline (or one too large for memory) counts as.
std::optional<text> readline(const text& prompt);

}  // namespace tracewell

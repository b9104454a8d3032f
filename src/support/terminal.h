// The console as the program sees it: lines out with CR LF, lines in as UTF-8.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "support/text.h"

namespace tracewell {

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
};

// Standard input, output and error.
class stdterminal : public terminal {
 public:
  void write(std::string_view bytes) override;
  std::optional<std::string> readrawline() override;
  void writeerror(std::string_view bytes) override;
};

// The process-wide terminal; stdterminal until replaced. Returns the previous one.
std::shared_ptr<terminal> setterminal(std::shared_ptr<terminal> t);
terminal& currentterminal();

// Prints `line` as UTF-8, then CR LF, and flushes.
void printline(const text& line);

// Writes `prompt` with no line end, flushes, reads one line, drops every CR
// and decodes UTF-8. nullopt at end of input.
std::optional<text> readline(const text& prompt);

}  // namespace tracewell

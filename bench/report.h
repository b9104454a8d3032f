// Printing the benchmark's tables and its summary lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tracewell::bench {

// `value` with `decimals` digits after the point ("12.35").
std::string fixed(double value, int decimals);
// A size in bytes as MiB with one decimal ("96.0 MiB").
std::string mib(std::int64_t bytes);

// One line to the console (through printline).
void say(const std::string& line);

// A table printed at once: a header row, a rule, then the rows. Each column is
// as wide as its widest cell; the first column is left aligned, the others
// right aligned. Rows shorter than the header leave their last cells empty.
class table {
 public:
  explicit table(std::vector<std::string> header) : header_(std::move(header)) {}
  void add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
  // A rule across all columns before the next row.
  void rule() { rows_.emplace_back(); }
  void print() const;

 private:
  std::vector<std::string> header_;
  std::vector<std::vector<std::string>> rows_;  // an empty row stands for a rule
};

// The tally of targets met and missed, and their summary lines.
class scorecard {
 public:
  // Prints "SUMMARY <figure>: <detail> -> PASS" (or FAIL) and counts it.
  void target(const std::string& figure, const std::string& detail, bool met);
  // Prints "SUMMARY <figure>: <detail> (no target)".
  void info(const std::string& figure, const std::string& detail);
  int met() const { return met_; }
  int missed() const { return missed_; }

 private:
  int met_ = 0;
  int missed_ = 0;
};

}  // namespace tracewell::bench

// Printing the benchmark's tables and its summary lines.
#include "report.h"

#include <algorithm>
#include <cstdio>

#include "support/terminal.h"
#include "support/text.h"

namespace tracewell::bench {

std::string fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

std::string mib(std::int64_t bytes) {
  return fixed(static_cast<double>(bytes) / (1024.0 * 1024.0), 1) + " MiB";
}

void say(const std::string& line) {
  printline(fromutf8(line));
}

void table::print() const {
  std::vector<std::size_t> widths(header_.size(), 0);
  const auto measure = [&](const std::vector<std::string>& row) {
    for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], row[i].size());
    }
  };
  measure(header_);
  for (const auto& row : rows_) measure(row);
  const auto format = [&](const std::vector<std::string>& row) {
    std::string line;
    for (std::size_t i = 0; i < widths.size(); ++i) {
      const std::string cell = i < row.size() ? row[i] : "";
      const std::string pad(widths[i] - std::min(widths[i], cell.size()), ' ');
      if (i > 0) line += "  ";
      line += i == 0 ? cell + pad : pad + cell;
    }
    return line;
  };
  std::size_t total = 0;
  for (const std::size_t w : widths) total += w + 2;
  const std::string rule(total > 2 ? total - 2 : 0, '-');
  say(format(header_));
  say(rule);
  for (const auto& row : rows_) say(row.empty() ? rule : format(row));
}

void scorecard::target(const std::string& figure, const std::string& detail, bool met) {
  say("SUMMARY " + figure + ": " + detail + " -> " + (met ? "PASS" : "FAIL"));
  ++(met ? met_ : missed_);
}

void scorecard::info(const std::string& figure, const std::string& detail) {
  say("SUMMARY " + figure + ": " + detail + " (no target)");
}

}  // namespace tracewell::bench

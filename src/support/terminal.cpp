// Console lines over the replaceable terminal.
#include "support/terminal.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace tracewell {

void stdterminal::write(std::string_view bytes) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  const bool flushed = std::fflush(stdout) == 0;
  if (!(written && flushed) && !outputfailure_) outputfailure_ = fromutf8(std::strerror(errno));
}

std::optional<std::string> stdterminal::readrawline() {
  if (ended_) return std::nullopt;
  std::string line;
  int c = 0;
  bool any = false;
  try {
    while ((c = std::getchar()) != EOF) {
      any = true;
      if (c == '\n') return line;
      if (line.size() == longestline) break;
      line += static_cast<char>(c);
    }
  } catch (const std::bad_alloc&) {
    c = 0;  // not the end of the file, but the end of what can be read
  }
  if (c != EOF) {
    ended_ = true;
    return std::nullopt;
  }
  if (!any) return std::nullopt;
  return line;
}

void stdterminal::writeerror(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

bool stdterminal::errorisinteractive() {
  return isatty(STDERR_FILENO) == 1;
}

namespace {
std::shared_ptr<terminal>& installed() {
  static std::shared_ptr<terminal> t = std::make_shared<stdterminal>();
  return t;
}
}  // namespace

std::shared_ptr<terminal> setterminal(std::shared_ptr<terminal> t) {
  return std::exchange(installed(), std::move(t));
}

terminal& currentterminal() {
  return *installed();
}

namespace {
bool progressshown = false;
}  // namespace

void showprogress(const text& line) {
  terminal& t = currentterminal();
  if (!t.errorisinteractive()) return;
  // Back to the start of the line, the new text, then erase what an older, longer one left.
  std::string bytes = "\r";
  bytes += toutf8(line);
  bytes += "\x1b[K";
  t.writeerror(bytes);
  progressshown = true;
}

void clearprogress() {
  if (!progressshown) return;
  progressshown = false;
  currentterminal().writeerror("\r\x1b[K");
}

void printline(const text& line) {
  clearprogress();
  currentterminal().write(toutf8(line) + "\r\n");
}

void printplainline(const text& line) {
  clearprogress();
  currentterminal().write(toutf8(line) + "\n");
}

void printerrorline(const text& line) {
  clearprogress();
  currentterminal().writeerror(toutf8(line) + "\n");
}

std::optional<text> readline(const text& prompt) {
  clearprogress();
  terminal& t = currentterminal();
  t.write(toutf8(prompt));
  std::optional<std::string> raw = t.readrawline();
  if (!raw || raw->size() > longestline) return std::nullopt;
  try {
    std::string kept;
    kept.reserve(raw->size());
    for (char c : *raw) {
      if (c != '\r') kept += c;
    }
    return fromutf8(kept);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace tracewell

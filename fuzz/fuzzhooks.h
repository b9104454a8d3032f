// What every fuzz target shares: a silent console, exit requests as exceptions, a file sandbox.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/linecategory.h"
#include "render/schemelook.h"
#include "support/terminal.h"

namespace tracewell::fuzz {

// A colour scheme whose colours are all half transparent, so every pass of a
// drawing blends: the drawing targets use it beside the fallback look.
inline const std::vector<std::int32_t> glasscolors = {0x40FFFFFF,
                                                      static_cast<std::int32_t>(0x80BC7C4C),
                                                      0x7FFCFC00,
                                                      0x01000000,
                                                      static_cast<std::int32_t>(0xFE00FF00),
                                                      0x20FF0000,
                                                      0x3000FF00,
                                                      0x400000FF,
                                                      0x50FFFFFF,
                                                      0x00FFFFFF};
inline const std::vector<std::int32_t> glassorders = {1, 2, 3, 4, 5, 6, 7, 8, 9, 9};
// Beside it, every category that falls back mentioned: by colour only, by order
// only and by both in turn, with orders 0 to 9, so every line's meanings are read.
inline const fallbacklooks glasslooks = [] {
  fallbacklooks l;
  for (std::uint32_t i = 0; i < l.colors.size(); ++i) {
    l.colors[i] = static_cast<std::int32_t>(0x60FF00FFu - i);
    l.orders[i] = static_cast<std::int32_t>(i % 10);
    if (i % 3 != 1) l.colorgiven |= 1u << i;
    if (i % 3 != 0) l.ordergiven |= 1u << i;
  }
  return l;
}();
// The whole glass look: its colours and orders on a translucent background, and every category that
// falls back mentioned.
inline const schemelook glasslook = [] {
  schemelook l = schemelook::fromlists(0x10203040, glasscolors, glassorders, 0);
  l.fallback = glasslooks;
  return l;
}();

// The folder this fuzzing process may use: created on first call (under
// /dev/shm when it exists, so per-input files cost no disk writes) and removed
// by the next fuzzing process once this one has ended. From the first call on, every fopen (and mkdir) of
// the program's code outside this folder fails as if permission were denied, so inputs that name paths
// (includes, WAD paths, PNG patterns, --dest) can neither read special files nor write anywhere else.
const std::filesystem::path& workfolder();

// While it lives, the working directory is the work folder (restored after),
// so relative paths in the program land there. Fuzzer paths must then be
// absolute; fuzz/run passes them so.
class inworkfolder {
 public:
  inworkfolder();
  ~inworkfolder();
  inworkfolder(const inworkfolder&) = delete;
  inworkfolder& operator=(const inworkfolder&) = delete;

 private:
  std::string previous_;
};

// Runs `body` with `input` as standard input, everything printed discarded
// and the debug log dropped. Returns the exit status when the code asked to
// end the process (fatal stop, stream failure, end of input), else nullopt.
std::optional<int> runquiet(std::string_view input, const std::function<void()>& body);
// The same with a terminal of the caller's own.
std::optional<int> runwith(std::shared_ptr<terminal> term, const std::function<void()>& body);

// Writes `bytes` to `path`, replacing it.
void writefile(const std::filesystem::path& path, std::string_view bytes);
std::string readfile(const std::filesystem::path& path);

// Removes everything in `folder` whose name is not in `keep`.
void clearfolder(const std::filesystem::path& folder, std::initializer_list<std::string_view> keep);

// Stops the fuzzer with `what` when a result breaks a promise of the code.
[[noreturn]] void broken(const std::string& what);

}  // namespace tracewell::fuzz

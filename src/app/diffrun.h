// The runs of a revision: --diff draws what changed between two versions of a WAD, --dump prints one as text.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <vector>

#include "support/failure.h"
#include "support/text.h"
#include "wad/mapsource.h"

namespace tracewell {

class console;
struct commandline;

// The most bytes read from a pipe or a device as one version of an input.
inline constexpr std::uint64_t streamlimit = std::uint64_t{2} << 30;

// Opens one version of an input: as any input, or, for a path that is no
// regular file (a pipe from `git show`), its bytes read whole into memory, at
// most streamlimit, its first bytes checked as they arrive (readwhole,
// ismapsourcehead). The failures are openmapsource's, readwhole's and
// overlimit, with an input that ends before a WAD's signature taken for no WAD
// (asinputrefusal).
result<std::shared_ptr<mapsource>> openversion(const text& path, mapdetection how);

// The source openversion opens, or the end of the run: a stream failure as
// report() ends it (255), any other refusal as "tracewell: PATH: MESSAGE"
// (inputline, status 1).
std::shared_ptr<mapsource> openversionorstop(const text& path, mapdetection how);

// --diff: the maps of the two inputs (OLD, NEW) compared by name, with the
// look, sizes and format of a drawing run. Per map its summary line
// (summaryline) and, when it changed, the picture of its diff under -o (default
// "%-diff.png") and that file's path, on standard output (nothing of it with
// --manifest -); records with `old_input` and `diff` under --manifest. An
// input that cannot be used: "tracewell: PATH: MESSAGE", status 1. Status 2
// when a map could not be read or its picture not written, 255 for a stream
// failure, else 0, whether or not maps differ.
[[noreturn]] void rundiff(const commandline& cl, console& c);

// --dump: every map of the WAD (or those `cl.maps` names), each as a line
// "map NAME" and then dumpmap's text, on standard output. An input that
// cannot be used prints "tracewell: " and its refusal on standard error
// (status 1); a map that cannot be read prints its failure lines on standard
// error and "unreadable" in its place (status 2); a stream failure 255.
[[noreturn]] void rundump(const commandline& cl, console& c);

}  // namespace tracewell

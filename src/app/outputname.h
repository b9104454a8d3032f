// The output file of one map: the pattern filled in, and the files an image must never replace.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "app/filekind.h"
#include "app/report.h"
#include "support/path.h"
#include "support/text.h"

namespace tracewell {

// The zlib level of every image.
inline constexpr int pnglevel = 5;

// No file system takes a longer path, in bytes, and a code unit is at least one
// byte: a longer file name fails without being built.
inline constexpr std::size_t longestpath = PATH_MAX;

// The file name of one map is the pattern with each "%" replaced by `name` and
// each "*" by `stamp`, a "*" inside the map name included (its "*" are already
// replaced in `name`). `piece` gets the parts of that name in order, so a name
// far longer than the pattern need never be held whole.
template <typename F>
void eachpiece(const text& pattern, const text& name, const text& stamp, F piece) {
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = pattern.find_first_of(u"%*", pos);
    const std::u16string_view rest = std::u16string_view(pattern).substr(pos, hit - pos);
    if (!rest.empty()) piece(rest);
    if (hit == text::npos) return;
    piece(std::u16string_view(pattern[hit] == u'%' ? name : stamp));
    pos = hit + 1;
  }
}

// The output file of one map.
struct mapfile {
  text folder;             // the folder the pattern is filled in below, taken literally; empty for none
  text stamp;              // the dotted time taken when the map's turn began
  text filledname;         // the map name with its "*" replaced by the stamp
  std::size_t length = 0;  // code units of the file name
  text path;               // the file name; empty when longer than longestpath

  bool toolong() const { return length > longestpath; }
};

// The file of map `name` under `pattern`, the time taken now: each map of a
// long run gets a name of its own. The name goes in as filenamesafe makes it,
// an empty one as "_". With a `folder` the file is "FOLDER/" and the filled
// pattern: only the pattern's "%" and "*" are replaced, never those of the
// folder's name.
// With `literalname` (command-line runs) a "*" in the map's name stays itself; the dialogue's rule
// puts the time there too.
mapfile makemapfile(const text& pattern, const text& name, const text& folder = {}, bool literalname = false);
// The same with the time taken already: the further kinds of one map share their main file's stamp.
mapfile makemapfile(const text& pattern, const text& name, const text& folder, const text& stamp,
                    bool literalname = false);

// Whether `path`, a file of `folder` as makemapfile builds it, leads out of
// that folder once its pattern is filled in (see leavesfolder).
bool leavesitsfolder(const text& path, const text& folder);

// The lines of a map that gives no image: it could not be loaded, its buffer
// could not be made, its file could not be written. Names and paths are shown
// printable.
text loadfailedline(const text& name);
text toolargeline(std::int32_t width, std::int32_t height, const text& name);
text writefailedline(const text& path, filekind kind = filekind::png);

// What the command line adds after the failure line of `f`, a file not written:
// "tracewell: PATH: REASON", the system's words where it gave an error number.
// Empty when there is nothing more to say.
text writereasonline(const kindfile& f);

// Prints `errors`, the lines of a map, as `v` does; on the command line the
// failure line of each file of `files` not written is followed by its
// writereasonline.
void sayfailures(const std::vector<text>& errors, const std::vector<kindfile>& files, voice v);

// The failure line of `file`, a name too long to build under `pattern`,
// printed part by part where `v` prints its lines, printable.
void printfailedwrite(const text& pattern, const mapfile& file, voice v, filekind kind = filekind::png);

}  // namespace tracewell

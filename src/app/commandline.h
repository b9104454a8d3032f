// The command line: a WAD for the dialogue, or options that draw maps without one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/filekind.h"
#include "render/png.h"
#include "support/text.h"
#include "wad/wad.h"

namespace tracewell {

// How a check run prints its findings: a line of text each, or GitHub Actions workflow commands.
enum class findingformat { text, github };

// What the command line asks for. Without any option the program keeps its
// dialogue and `inputs` holds at most the first argument (further ones
// ignored). Any option (an argument that starts with "--", or "-" and a
// letter) selects the scripted mode, where every field counts.
struct commandline {
  bool scripted = false;
  std::vector<text> inputs;  // WAD files and archives, in the order given
  std::vector<text> maps;    // as given, in order; "ALL" (any case) stands for every map
  std::optional<text> format;
  std::optional<mapdetection> detection;  // --detect names|content, over the settings
  std::optional<std::int32_t> width;
  std::optional<std::int32_t> height;
  std::optional<std::int32_t> margin;
  std::optional<text> scheme;
  std::optional<text> output;
  std::vector<filekind> extra;  // --extra: further kinds of file per map, in the order given
  std::optional<text> settings;
  std::optional<text> dest;      // a folder per input below it
  std::optional<text> manifest;  // "-": standard output
  std::optional<std::int64_t> maxmaps;
  std::optional<pngencoding> png;  // --png standard|compact, over the settings
  bool skipexisting = false;
  bool gallery = false;      // DIR/index.html at the end (needs --dest)
  bool diff = false;         // inputs: OLD then NEW
  bool crop = false;         // a diff's image fitted to its changes
  std::optional<text> dump;  // the WAD whose maps are printed as text
  bool check = false;        // the maps' findings and statistics, pictures only when asked for
  std::optional<findingformat> checkformat;
  bool list = false;
  bool help = false;
  bool version = false;
  // Set when the command line cannot be used: a one-line reason, without the
  // program prefix (an unknown option, a missing value, a malformed size, a
  // size from which no digit is read, a second input without --dest, --list
  // with several inputs, an output pattern that leaves the --dest folder,
  // --gallery without --dest, --diff without two inputs or with an option it
  // excludes, --crop without --diff, --dump with another input or an option it
  // excludes, --check with --list or -o and several inputs without --dest,
  // --check-format without --check).
  text error;

  // Reads `args` (the program's arguments, without its own name). Numbers
  // are read as the dialogue reads its answers. Never fails; see `error`.
  static commandline parse(const std::vector<std::string>& args);

  // Whether the run takes the batch rules: a folder per input, records,
  // skipping, a limit on maps. Without these one input runs as it always did.
  bool batch() const { return !diff && (check || dest || manifest || maxmaps || skipexisting); }
};

// Whether `arg` is an option: it starts with "--", or with "-" and a letter.
// "-", "-5" and plain words are not.
bool isoption(const std::string& arg);

// The text of --help, each line ending in LF.
std::string usagetext();

}  // namespace tracewell

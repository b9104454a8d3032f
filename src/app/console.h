// The console driver's record: every answer of the dialogue, the open WAD and the colour schemes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <vector>

#include "app/filekind.h"
#include "app/maprun.h"
#include "app/openinput.h"
#include "app/report.h"
#include "app/scheme.h"
#include "support/bytestream.h"
#include "support/path.h"
#include "support/text.h"
#include "wad/wad.h"

namespace tracewell {

class dictnode;
struct wad;

// Why the tool refuses an answer. The dialogue adds " Try again?" and asks
// again; the command line prints "tracewell: " and the text, and ends.
namespace refusal {
inline constexpr const char16_t* cannotopen = u"Error opening WAD file.";
inline constexpr const char16_t* notawad = u"Error parsing WAD file.";
inline constexpr const char16_t* nomaps = u"No maps found in WAD.";
inline constexpr const char16_t* badmap = u"Invalid map name.";
inline constexpr const char16_t* badformat = u"Invalid map format.";
inline constexpr const char16_t* badscheme = u"Invalid color scheme.";
// The limit is openinput.h's streamlimit.
inline constexpr const char16_t* overlimit = u"Stream longer than 2 GiB, the most read from a pipe.";
}  // namespace refusal

// The one console of the process. Every field keeps its value from one cycle
// to the next, so each answer is the default offered in the next cycle.
// Console output goes through printline/readline only.
class console {
 public:
  text formatname;              // format word last accepted
  text inputpath;               // WAD path last opened with success
  text outputpath;              // output pattern: "%" map name, "*" date/time
  std::vector<filekind> extra;  // kinds written beside each main file (--extra)
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t margin = 0;
  text schemename;                      // scheme name last accepted
  text mapname;                         // chosen map in upper case, or "ALL"
  std::shared_ptr<bytestream> wstream;  // WAD file of this cycle; closed after the output run
  std::shared_ptr<wad> w;               // container read from wstream; null for an archive
  std::list<std::shared_ptr<tracewell::scheme>> schemes;  // last one in the settings file first
  std::list<text> maps;                                   // map names of source, in its order
  std::int32_t format = 0;                                // tag of formatname in `mapformats`
  mapdetection detection = mapdetection::names;           // settings key map_detection
  pngencoding png = pngencoding::standard;                // settings key png_encoding
  std::shared_ptr<tracewell::scheme> scheme;              // scheme chosen in this cycle
  text settingspath;                                      // the settings file read; output never replaces it
  checksettings checks = presetseverities();              // the settings' #checks node over the presets
  text checksrefusal;  // why the #checks node cannot be used, as a check run refuses it; empty when it can
  // The run over this cycle's source, made by the first openwad; it keeps how
  // the tool speaks and what it missed from one cycle to the next.
  std::shared_ptr<maprun> run;

  // Prints the banner lines.
  void welcome() const;
  // Prints "Finished outputting!".
  void finished() const;

  // The output run: renders and saves the chosen map, or every map for "ALL",
  // then closes the source. Needs a completed dialogue (run, maps, scheme set).
  // Named do_ because `do` is a keyword.
  void do_();
  // Loads, renders and saves one map under the output pattern. A map that
  // cannot be loaded, an image too large to allocate and a file that cannot be
  // written each print one line; the caller goes on with the next map.
  void domap(const text& name);
  // The maps `names` drawn in order as the output run draws them (see
  // maprun::draw), then the source closed; a fatal stop or a stream failure
  // comes back, for the caller to end the run with.
  drawend drawmaps(const std::list<text>& names, bool all);
  // Ends the output run: the progress line goes and the source closes.
  void closeoutput();
  // How the output run of this cycle draws: the answers as a request.
  drawrequest request() const;
  // The one list of files no output may replace, an image or the manifest:
  // the WAD last opened, the settings file in use and `inputs`, each that
  // exists.
  std::vector<fileid> keptfiles(const std::vector<text>& inputs) const;

  // Opens `path` as this cycle's WAD or archive: on success run (its
  // source), maps and, for a WAD file, wstream and w are set; otherwise a
  // notice whose reason refusaltext words. A stream failure while reading the
  // WAD ends the process, as the dialogue's stream failures do.
  status openwad(const text& path);
  // As openwad, but a stream failure comes back instead of ending the process.
  status tryopen(const text& path);

  // The dialogue of one cycle: WAD, map, format, size, scheme, output pattern.
  // A nonempty `startpath` is opened first in place of asking; when it fails,
  // the WAD path prompt follows as usual.
  // Bad answers are refused and asked again. End of input ends the process:
  // at the WAD path prompt with nothing printed and status 0, or 2 when a map
  // asked for in this process was not written (maprun::missed); at any other
  // prompt with the line "Unexpected end of input." and status 1.
  void requestinputs(text startpath = text());
  // Prints `prompt` and the default line, reads one answer at "> ". An empty
  // answer gives `fallback`; any other answer is returned untrimmed. nullopt
  // at end of input; the caller decides what that means.
  static std::optional<text> getinput(const text& prompt, const text& fallback);
  // Scheme names one per line (LF-separated, no trailing line feed).
  text getschemestring() const;
  // Map names four to a line, each after one space, lines separated by LF, no
  // trailing line feed; "" for an empty list.
  text getmapstring(const std::list<text>& names) const;
  // The first scheme whose name equals `name` ignoring case; null when none does.
  std::shared_ptr<tracewell::scheme> getscheme(const text& name) const;

  // Loads the settings file at `path` (relative to the working directory) into
  // a new console. When the file cannot be parsed or defines no colour scheme
  // it prints why and makes the fatal stop; it does not return then.
  static std::shared_ptr<console> readpath(const text& path);
  // As readpath, but a settings file that cannot be used comes back as a
  // fatal failure instead of stopping.
  static result<std::shared_ptr<console>> load(const text& path);
  // A new console from a parsed settings tree: the default_* keys and every
  // "color_scheme" child (possibly none). Never fails; absent keys give "" or 0.
  static std::shared_ptr<console> read(dictnode& root);
  // The format number (0 doom, 1 hexen, 2 zdoom) of `word` ignoring case, or
  // -1. No trimming: " doom" is -1.
  static std::int32_t getformat(const text& word);
};

}  // namespace tracewell

// The kinds of file a map is written as (PNG, SVG, HTML): their words, extensions, failure lines and endings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "support/failure.h"
#include "support/text.h"

namespace tracewell {

enum class filekind : std::uint8_t { png, svg, html };

struct filekindrow {
  filekind kind;
  std::u16string_view word;        // as --extra names it, and the file name extension after the "."
  std::u16string_view name;        // in "Failed to write NAME file"
  std::string_view ending;         // the last bytes of a complete file
  std::u16string_view alias = {};  // another extension of the kind in an output path
};

// Every kind, at its number. A new kind is a row here and a writer in the map job.
inline constexpr std::array<filekindrow, 3> filekinds = {{
    {filekind::png, u"png", u"PNG", std::string_view("IEND\xAE\x42\x60\x82", 8)},
    {filekind::svg, u"svg", u"SVG", "</svg>\n"},
    {filekind::html, u"html", u"HTML", "</html>\n", u"htm"},
}};

constexpr const filekindrow& rowof(filekind k) {
  return filekinds[static_cast<std::size_t>(k)];
}

namespace filekindcheck {
constexpr bool consistent() {
  for (std::size_t i = 0; i < filekinds.size(); ++i) {
    if (static_cast<std::size_t>(filekinds[i].kind) != i || filekinds[i].ending.empty()) return false;
  }
  return true;
}
}  // namespace filekindcheck
static_assert(filekindcheck::consistent(), "file kinds out of order");

// The kind a path is written as: the kind whose word or alias is its extension, in any case; PNG for
// any other.
filekind kindofpath(const text& path);

// The kind --extra names by `word` (any case); none for an unknown word.
std::optional<filekind> kindofword(const text& word);

// The words of every kind, for a refusal: "png, svg".
text kindwords();

// `pattern` for another kind: its extension (after the last "." of its last part) replaced by the
// kind's, or the kind's added when it has none or what follows the "." holds "%" or "*".
text patternfor(const text& pattern, filekind k);

// One file of a map: its kind, path, and whether it was written; when not, why not.
struct kindfile {
  filekind kind = filekind::png;
  text path;
  bool written = false;
  failure::reason why = failure::reason::unspecified;
  std::uint32_t error = 0;  // the system's error number of `why`; 0 for none

  // Notes whether the file was written, and why not.
  void settle(const status& wrote) {
    written = wrote.ok();
    if (!written) {
      why = wrote.error().why;
      error = wrote.error().detail;
    }
  }
};

// Whether the file at `path` is complete for its kind: it ends in the kind's last bytes.
bool complete(const text& path, filekind k);

}  // namespace tracewell

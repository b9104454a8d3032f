// Vector images: a scene written as SVG text, streamed to a file or to any sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/scene.h"
#include "support/outputfile.h"
#include "support/text.h"
#include "support/textsink.h"

namespace tracewell {

// What the image's title names: the map (its name as read, one byte per code unit) and the input
// it came from (a path; only its file name is shown, so the image is the same wherever the input lies).
struct svgnames {
  text map;
  text input;
};

// Strokes drawn as one path: consecutive scene strokes [first, first + count) of one category and
// one colour. The image holds one <path> per run, in this order, before the marker groups.
struct svgrun {
  std::size_t first = 0, count = 0;
  std::int32_t category = 0;
  std::int32_t color = 0;
  std::int8_t mark = -1;  // a diff's strokes run by their mark, and take its class (diffclass)
};
std::vector<svgrun> svgruns(const scene& s);

// The class of a line category's path ("impassable", "passable-floor-change", "locked-blue"): its
// settings key prefix with "_" as "-" and no trailing "-". Empty for a number that is no category.
std::string svgclass(std::int32_t category);
// The class of what a diff's picture shows ("diff-removed"); empty for a number that is no diffmark.
std::string diffclass(std::int8_t mark);
// The class of a thing kind's group ("thing-monster", "thing-key-red"), likewise from its colour key.
std::string svgthingclass(std::uint8_t kind);

// Writes `s` as one <svg> element (no XML declaration, so the same text is a file of its own and
// a fragment inside an HTML page): width, height and a viewBox in the image's pixels, a <title>,
// the background, the strokes as svgruns gives them, then the marker groups. A point of the map
// sits at its exact fitted position (pixel x covers x to x + 1), floored to 1/100 pixel. The same
// scene and names give the same bytes. Fails (false) on an image less than 1 x 1 or when the sink
// refuses a piece; the text is handed over in pieces of about 64 KiB, never held whole.
bool writesvg(const scene& s, const svgnames& names, const textsink& sink);

// The same into a file opened already, which this finishes but does not commit (see writethrough). An
// image less than 1 x 1 is abandoned (nocontent), as a PNG without pixels is.
outputstatus writesvg(const scene& s, const svgnames& names, outputfile& out);

}  // namespace tracewell

// The page the map page and the diff page both are: one writer streams its head, drawing, panels and
// data; the pieces their data is written with.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "render/scene.h"
#include "support/textsink.h"
#include "web/svg.h"

namespace tracewell {

// Text for the sink, handed over whenever it grows past a block, so a page is never held whole.
class pagebuffer {
 public:
  explicit pagebuffer(const textsink& sink) : sink_(sink) {}
  std::string& text() { return text_; }
  // Hands the text over when it is past a block, or `always`; false once the sink refused a piece.
  bool flush(bool always = false);

 private:
  const textsink& sink_;
  std::string text_;
  bool ok_ = true;
};

// What the page is titled by: the map's name (its bytes as read) and the input's file name.
struct pagetitle {
  std::string map, input;
};

// Appends the data's own data: its JSON object. False when the sink refused a piece.
using pagedata = std::function<bool(pagebuffer& b, const pagetitle& title)>;

// Streams a page of `s`: the head (pagehead) titled "<map> — <input file name>", the header, the
// drawing (writesvg) with its zoom controls, the panels (Layers, then `panels`, then Details and
// Statistics), the JSON `data` appends for the script, then the script. Names are escaped for HTML and
// the data escapes its own, so the page runs only its own script. Fails (false) on an image less than
// 1 x 1 or when the sink refuses a piece.
bool writeviewerpage(const scene& s, const svgnames& names, std::string_view panels, const pagedata& data,
                     const textsink& sink);

// Appends the data's start: the object's opening brace, its "title" and "input".
void appendpagetitle(std::string& out, const pagetitle& title);

// Appends the data's "size" and "fit" members (pixel = a * vertex unit + b on each axis, then the vertex
// units per map unit), read by the page script.
void appendpagefit(std::string& out, const scene& s);

// Appends one layer of the legend: {"cls", "name", "color", "opacity", "count"}, after a comma unless
// it is the `first`.
void appendpagelayer(std::string& out, bool first, std::string_view cls, std::string_view name,
                     std::int32_t argb, std::int64_t count);

// Appends the shortest decimal that reads back as `v`.
void appenddouble(std::string& out, double v);

}  // namespace tracewell

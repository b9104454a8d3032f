// The page the map page and the diff page both are: one writer streams its head, drawing, panels and
// data; the pieces their data is written with.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "render/scene.h"
#include "support/jsontext.h"
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

// Appends one row of the statistics: [words, count], the count null when unknown, after a comma unless
// it is the `first`.
void appendpagestat(std::string& out, bool first, std::string_view words, std::optional<std::int64_t> count);

// Appends the shortest decimal that reads back as `v`.
void appenddouble(std::string& out, double v);

// One column of a table of the page's data, its records read from a `source`: the name the script
// reads it by and record i's value, a whole number (`number`) or any JSON value (`append`). A column
// with `shown` is in the table only for the sources it accepts.
template <typename source>
struct pagecolumn {
  std::string_view name;
  std::int64_t (*number)(const source& from, std::size_t i) = nullptr;
  void (*append)(std::string& out, const source& from, std::size_t i) = nullptr;
  bool (*shown)(const source& from) = nullptr;
};

// Appends `,"<table>":{"<column>":[value of record 0, …],…}` for the `count` records of `from`: one
// array per column, so a record costs no more than an array of its own and the script reads it by name.
template <typename source>
void appendpagetable(pagebuffer& b, std::string_view table, std::span<const pagecolumn<source>> columns,
                     const source& from, std::size_t count) {
  std::string& out = b.text();
  out += ",\"";
  out += table;
  out += "\":{";
  bool first = true;
  for (const pagecolumn<source>& c : columns) {
    if (c.shown != nullptr && !c.shown(from)) continue;
    out += first ? "\"" : ",\"";
    first = false;
    out += c.name;
    out += "\":[";
    for (std::size_t i = 0; i < count; ++i) {
      if (i > 0) out += ',';
      if (c.append != nullptr) {
        c.append(out, from, i);
      } else {
        appendjsonint(out, c.number(from, i));
      }
      b.flush();
    }
    out += ']';
  }
  out += '}';
}

}  // namespace tracewell

// The page the map page and the diff page both are: one writer streams its head, drawing, panels and
// data; the pieces their data is written with.
#include "web/viewerpage.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "support/jsontext.h"
#include "support/markup.h"
#include "web/page/pageassets.h"
#include "web/pageshell.h"

namespace tracewell {

namespace {

// The file name of a path, without its folders.
std::string filename(const text& path) {
  const std::size_t slash = path.find_last_of(u'/');
  return toutf8(slash == text::npos ? path : path.substr(slash + 1));
}

}  // namespace

bool pagebuffer::flush(bool always) {
  if (!ok_ || (!always && text_.size() < 1U << 16)) return ok_;
  ok_ = sink_(text_);
  text_.clear();
  return ok_;
}

bool writeviewerpage(const scene& s, const svgnames& names, std::string_view panels, const pagedata& data,
                     const textsink& sink) {
  if (s.width < 1 || s.height < 1) return false;
  const pagetitle title{tobytes(names.map), filename(names.input)};
  pagebuffer b(sink);
  std::string& out = b.text();
  out += pagehead(title.map + " \xE2\x80\x94 " + title.input, pageassets::viewerjshash);
  out += "<div class=\"tw-page\">\n<header><h1>";
  appendmarkup(out, title.map);
  out += "</h1><span class=\"tw-sub\">";
  appendmarkup(out, title.input);
  out += "</span></header>\n<div id=\"tw-view\" tabindex=\"0\">";
  if (!b.flush(true) || !writesvg(s, names, sink)) return false;
  out +=
      "<div class=\"tw-controls\"><button type=\"button\" id=\"tw-zoomin\" title=\"Zoom in (+)\">+</button>"
      "<button type=\"button\" id=\"tw-zoomout\" title=\"Zoom out (-)\">\xE2\x88\x92</button>"
      "<button type=\"button\" id=\"tw-fit\" title=\"Fit (0)\">fit</button></div></div>\n"
      "<aside class=\"tw-panel\"><h2>Layers</h2><ul id=\"tw-legend\"></ul>";
  out += panels;
  out +=
      "<h2>Details</h2><div id=\"tw-details\"></div>"
      "<h2>Statistics</h2><div id=\"tw-stats\"></div></aside>\n</div>\n"
      "<script type=\"application/json\" id=\"tw-data\">";
  if (!data(b, title)) return false;
  out += "</script>\n";
  out += pagetail(pageassets::viewerjs);
  return b.flush(true);
}

void appendpagetitle(std::string& out, const pagetitle& title) {
  out += "{\"title\":";
  appendjsonbytes(out, title.map);
  out += ",\"input\":";
  appendjsonbytes(out, title.input);
}

void appendpagefit(std::string& out, const scene& s) {
  out += "\"size\":[";
  appendjsonint(out, s.width);
  out += ',';
  appendjsonint(out, s.height);
  // pixel = a * vertex unit + b on each axis, the point at its exact fitted place (pixel x covers x to x +
  // 1).
  const mapfit& f = s.fit;
  const double ax = f.dx > 0 ? static_cast<double>(f.w) / static_cast<double>(f.dx) : 0.0;
  const double ay = f.dy > 0 ? static_cast<double>(f.h) / static_cast<double>(f.dy) : 0.0;
  out += "],\"fit\":[";
  for (const double v : {ax, static_cast<double>(f.offx) - ax * static_cast<double>(f.leastx), ay,
                         static_cast<double>(f.offy) - ay * static_cast<double>(f.leasty)}) {
    appenddouble(out, v);
    out += ',';
  }
  appenddouble(out, static_cast<double>(std::int64_t{1} << s.fractionbits));
  out += ']';
}

void appendpagelayer(std::string& out, bool first, std::string_view cls, std::string_view name,
                     std::int32_t argb, std::int64_t count) {
  out += first ? "{\"cls\":" : ",{\"cls\":";
  appendjsonbytes(out, cls);
  out += ",\"name\":";
  appendjsonbytes(out, name);
  std::array<char, 8> hex{};
  std::snprintf(hex.data(), hex.size(), "#%06x", static_cast<unsigned>(argb) & 0xFFFFFFU);
  out += ",\"color\":\"";
  out += hex.data();
  out += "\",\"opacity\":";
  appenddouble(out, static_cast<double>((static_cast<unsigned>(argb) >> 24) & 0xFFU) / 255.0);
  out += ",\"count\":";
  appendjsonint(out, count);
  out += '}';
}

void appendpagestat(std::string& out, bool first, std::string_view words, std::optional<std::int64_t> count) {
  out += first ? "[" : ",[";
  appendjsonbytes(out, words);
  out += ',';
  if (count) {
    appendjsonint(out, *count);
  } else {
    out += "null";
  }
  out += ']';
}

void appenddouble(std::string& out, double v) {
  std::array<char, 32> buffer{};
  out.append(buffer.data(), std::to_chars(buffer.data(), buffer.data() + buffer.size(), v).ptr);
}

}  // namespace tracewell

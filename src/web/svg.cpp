// Vector images: a scene written as SVG text, streamed to a file or to any sink.
#include "web/svg.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "render/diffmark.h"
#include "render/linecategory.h"
#include "render/thingkindlook.h"
#include "render/thingmarkers.h"
#include "render/widemath.h"
#include "support/markup.h"

namespace tracewell {

namespace {

// Text is handed to the sink in pieces of about this size.
constexpr std::size_t piece = std::size_t{1} << 16;

// Positions are written in hundredths of a pixel.
constexpr std::int64_t hundred = 100;

// A settings key part as a class: "_" as "-", no trailing "-".
std::string classof(std::u16string_view key) {
  std::string out;
  for (const char16_t c : key) out += c == u'_' ? '-' : static_cast<char>(c);
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

// The exact fitted position of `v` on one axis, in hundredths of a pixel, rounded down: the PNG's
// pixel is the fitted position rounded down, so the point lies inside that pixel.
std::int64_t fitted(std::int64_t v, std::int64_t least, std::int64_t extent, std::int64_t size,
                    std::int64_t offset) {
  if (extent <= 0) return offset * hundred;
  const int128 n = (static_cast<int128>(v - least) * size + static_cast<int128>(offset) * extent) * hundred;
  return static_cast<std::int64_t>(floordiv<int128>(n, extent));
}

// Appends `value` hundredths as a decimal with at most two decimals, without trailing zeros; `bare`
// leaves out the zero before the point (".5"), as path data allows.
void appendhundredths(std::string& out, std::int64_t value, bool bare) {
  if (value < 0) out += '-';
  const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
  const std::uint64_t whole = magnitude / hundred;
  const std::uint64_t fraction = magnitude % hundred;
  if (whole != 0 || fraction == 0 || !bare) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), whole).ptr;
    out.append(digits.data(), end);
  }
  if (fraction != 0) {
    out += '.';
    out += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) out += static_cast<char>('0' + fraction % 10);
  }
}

void appendinteger(std::string& out, std::int64_t value) {
  std::array<char, 24> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  out.append(digits.data(), end);
}

// A colour's RGB as "#rrggbb" and its alpha as an opacity of at most three decimals (enough to
// give every 8-bit alpha back).
void appendcolor(std::string& out, const char* paint, std::int32_t argb) {
  const auto c = static_cast<std::uint32_t>(argb);
  std::array<char, 8> rgb{};
  std::snprintf(rgb.data(), rgb.size(), "#%06x", c & 0xFFFFFFU);
  out += ' ';
  out += paint;
  out += "=\"";
  out += rgb.data();
  out += "\" ";
  out += paint;
  out += "-opacity=\"";
  // Thousandths, rounded to the nearest: "1", "0", or "0." and up to three digits.
  const std::uint32_t thousandths = ((c >> 24) * 1000 + 127) / 255;
  if (thousandths == 0 || thousandths == 1000) {
    out += thousandths == 0 ? '0' : '1';
  } else {
    std::array<char, 8> digits{};
    std::snprintf(digits.data(), digits.size(), "0.%03u", thousandths);
    std::string_view fraction(digits.data());
    while (fraction.back() == '0') fraction.remove_suffix(1);
    out += fraction;
  }
  out += '"';
}

// Path data of line segments in relative commands: a segment that starts where the last one
// ended continues it (or, unjoined, restarts there with "m0 0"), any other starts with a move.
class pathdata {
 public:
  explicit pathdata(std::string& out) : out_(out) {}

  void segment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, bool join) {
    if (!started_) {
      // A path's first relative move is absolute.
      command('m');
      number(x0);
      number(y0);
    } else if (x0 != x_ || y0 != y_ || !join) {
      command('m');
      number(x0 - x_);
      number(y0 - y_);
    }
    // After a move, further pairs are lines.
    number(x1 - x0);
    number(y1 - y0);
    started_ = true;
    x_ = x1;
    y_ = y1;
  }

 private:
  void command(char c) {
    out_ += c;
    separate_ = false;
  }

  // A number needs no space before it after a command, before a "-", or before a "." when the
  // number before it has a point already.
  void number(std::int64_t value) {
    scratch_.clear();
    appendhundredths(scratch_, value, true);
    const bool point = scratch_.find('.') != std::string::npos;
    if (separate_ && scratch_[0] != '-' && !(scratch_[0] == '.' && lastpoint_)) out_ += ' ';
    out_ += scratch_;
    separate_ = true;
    lastpoint_ = point;
  }

  std::string& out_;
  std::string scratch_;
  bool started_ = false, separate_ = false, lastpoint_ = false;
  std::int64_t x_ = 0, y_ = 0;
};

class svgwriter {
 public:
  svgwriter(const scene& s, const textsink& sink) : s_(s), sink_(sink) { out_.reserve(piece + piece / 4); }

  bool write(const svgnames& names) {
    head(names);
    out_ += "<g fill=\"none\" stroke-width=\"";
    appendinteger(out_, s_.style.width);
    out_ += "\" stroke-linecap=\"square\"";
    if (!s_.style.antialias) out_ += " shape-rendering=\"crispEdges\"";
    out_ += ">\n";
    for (const svgrun& r : svgruns(s_)) strokes(r);
    markers();
    out_ += "</g>\n</svg>\n";
    flush();
    return ok_;
  }

 private:
  void head(const svgnames& names) {
    out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    appendinteger(out_, s_.width);
    out_ += "\" height=\"";
    appendinteger(out_, s_.height);
    out_ += "\" viewBox=\"0 0 ";
    appendinteger(out_, s_.width);
    out_ += ' ';
    appendinteger(out_, s_.height);
    out_ += "\">\n<title>";
    appendmarkup(out_, tobytes(names.map));
    std::size_t cut = names.input.find_last_of(u"/\\");
    const text file = cut == text::npos ? names.input : names.input.substr(cut + 1);
    if (!file.empty()) {
      out_ += " - ";
      appendmarkup(out_, toutf8(file));
    }
    out_ += "</title>\n";
    if ((static_cast<std::uint32_t>(s_.background) >> 24) != 0) {
      out_ += "<rect width=\"";
      appendinteger(out_, s_.width);
      out_ += "\" height=\"";
      appendinteger(out_, s_.height);
      out_ += '"';
      appendcolor(out_, "fill", s_.background);
      out_ += "/>\n";
    }
  }

  std::int64_t column(std::int64_t x) const {
    return fitted(x, s_.fit.leastx, s_.fit.dx, s_.fit.w, s_.fit.offx);
  }
  std::int64_t row(std::int64_t y) const {
    return fitted(y, s_.fit.leasty, s_.fit.dy, s_.fit.h, s_.fit.offy);
  }

  void strokes(const svgrun& r) {
    out_ += "<path";
    const std::string name = r.mark >= 0 ? diffclass(r.mark) : svgclass(r.category);
    if (!name.empty()) {
      out_ += " class=\"";
      out_ += name;
      out_ += '"';
    }
    appendcolor(out_, "stroke", r.color);
    out_ += " d=\"";
    pathdata d(out_);
    // Wide lines have square ends at every end point, as the PNG draws them; a path's join would
    // cut them off or lengthen them, so only one-pixel lines run on.
    const bool join = s_.style.width <= 1;
    for (std::size_t i = r.first; i < r.first + r.count; ++i) {
      const scenestroke& l = s_.strokes[i];
      d.segment(column(l.x0), row(l.y0), column(l.x1), row(l.y1), join);
      if (out_.size() >= piece) flush();
    }
    out_ += "\"/>\n";
  }

  void markers() {
    const std::int64_t r = s_.markerradius;
    const int128 right = int128{s_.width} - 1 + r;
    const int128 bottom = int128{s_.height} - 1 + r;
    std::size_t i = 0;
    while (i < s_.markers.size()) {
      const scenemarker& first = s_.markers[i];
      out_ += "<g class=\"";
      if (first.mark >= 0) out_ += diffclass(first.mark) + ' ';
      out_ += svgthingclass(first.kind);
      out_ += '"';
      appendcolor(out_, "stroke", first.color);
      out_ += "><path d=\"";
      pathdata d(out_);
      for (; i < s_.markers.size() && s_.markers[i].kind == first.kind &&
             s_.markers[i].color == first.color && s_.markers[i].mark == first.mark;
           ++i) {
        const scenemarker& t = s_.markers[i];
        // The PNG leaves out markers that cannot touch the image; so does this.
        const int128 px = s_.fit.widecolumn(t.x);
        const int128 py = s_.fit.widerow(t.y);
        if (px < -r || py < -r || px > right || py > bottom) continue;
        marker(d, t, column(t.x), row(t.y), r * hundred);
        if (out_.size() >= piece) flush();
      }
      out_ += "\"/></g>\n";
    }
  }

  // The shape markerat draws, at the exact position, each line with its own square ends.
  static void marker(pathdata& d, const scenemarker& t, std::int64_t x, std::int64_t y, std::int64_t r) {
    if (t.cross) {
      d.segment(x - r, y, x + r, y, false);
      d.segment(x, y - r, x, y + r, false);
      return;
    }
    const std::array<std::array<double, 2>, 3> offsets = trianglecorners(static_cast<double>(r), t.angle);
    std::array<std::array<std::int64_t, 2>, 3> corner{};
    for (std::size_t i = 0; i < 3; ++i) {
      corner[i] = {x + std::llround(offsets[i][0]), y + std::llround(offsets[i][1])};
    }
    for (std::size_t i = 0; i < 3; ++i) {
      const auto& to = corner[(i + 1) % 3];
      d.segment(corner[i][0], corner[i][1], to[0], to[1], false);
    }
  }

  void flush() {
    if (ok_ && !out_.empty()) ok_ = sink_(out_);
    out_.clear();
  }

  const scene& s_;
  const textsink& sink_;
  std::string out_;
  bool ok_ = true;
};

}  // namespace

std::vector<svgrun> svgruns(const scene& s) {
  std::vector<svgrun> runs;
  for (std::size_t i = 0; i < s.strokes.size(); ++i) {
    const scenestroke& l = s.strokes[i];
    if (runs.empty() || runs.back().category != l.category || runs.back().color != l.color ||
        runs.back().mark != l.mark) {
      runs.push_back({i, 0, l.category, l.color, l.mark});
    }
    ++runs.back().count;
  }
  return runs;
}

std::string svgclass(std::int32_t category) {
  if (category < 0 || static_cast<std::size_t>(category) >= linecategories.size()) return {};
  return classof(linecategories[static_cast<std::size_t>(category)].prefix);
}

std::string diffclass(std::int8_t mark) {
  if (mark < 0) return {};
  const auto at = static_cast<std::size_t>(static_cast<unsigned char>(mark));
  if (at >= diffmarklooks.size()) return {};
  return "diff-" + std::string(diffmarklooks[at].name);
}

std::string svgthingclass(std::uint8_t kind) {
  if (kind >= thingkindlooks.size()) return "thing";
  std::u16string_view key = thingkindlooks[kind].colorkey;
  if (key.ends_with(u"color")) key.remove_suffix(5);
  return classof(key);
}

bool writesvg(const scene& s, const svgnames& names, const textsink& sink) {
  if (s.width < 1 || s.height < 1) return false;
  return svgwriter(s, sink).write(names);
}

outputstatus writesvg(const scene& s, const svgnames& names, outputfile& out) {
  return writethrough(out, [&](const textsink& sink) { return writesvg(s, names, sink); });
}

}  // namespace tracewell

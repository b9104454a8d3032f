// Thing markers: which things a scheme shows, and the crosses and triangles that mark them.
#include "render/thingmarkers.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/widemath.h"

namespace tracewell {

namespace {

// Radii beyond this would only draw lines far outside any image.
constexpr std::int64_t greatestradius = std::int64_t{1} << 20;

// The one place markers meet the line drawing, so they follow the map lines' style.
void drawmarkerline(TPixmap& buffer, const pixelline& l, std::int32_t color, const linestyle& style,
                    bool& changed) {
  drawstyledline(buffer, l.x0, l.y0, l.x1, l.y1, color, style, &changed);
}

bool sameshape(const markershape& a, const markershape& b) {
  return a.count == b.count && a.lines == b.lines;
}

}  // namespace

bool thinglook::any() const {
  return std::any_of(colors.begin(), colors.end(), [](const auto& c) { return c.has_value(); });
}

bool thingshown(const thing& t, thingkind k, const thinglook& look) {
  const std::int32_t skill = look.skill == 0 ? 4 : std::clamp(look.skill, 1, 5);
  return thingappears(t, k, skill, look.multiplayer != 0);
}

std::vector<scenemarker> thingmarkers(const map& m, const thinglook& look) {
  std::vector<scenemarker> out;
  if (m.linedefs.empty() || !m.things || !look.any()) return out;
  // Layer numbers first, so one stable sort puts the layers in order and keeps THINGS order in each.
  std::vector<std::int32_t> layers;
  const std::vector<thing>& things = *m.things;
  for (std::size_t i = 0; i < things.size(); ++i) {
    const thing& t = things[i];
    const thingkind k = thingkindof(m.meaning, t.type);
    const thingkindlook& info = lookof(k);
    const std::optional<std::int32_t>& color = look.colors[static_cast<std::size_t>(k)];
    if (!color || !thingshown(t, k, look)) continue;
    out.push_back(
        {t.x, t.y, t.angle, *color, static_cast<std::uint8_t>(k), info.cross, static_cast<std::uint32_t>(i)});
    layers.push_back(info.layer);
  }
  // A counting sort: linear in the number of things.
  std::array<std::size_t, thinglayers + 1> starts{};
  for (const std::int32_t layer : layers) ++starts[static_cast<std::size_t>(layer) + 1];
  for (std::size_t i = 1; i < starts.size(); ++i) starts[i] += starts[i - 1];
  std::vector<scenemarker> sorted(out.size());
  for (std::size_t i = 0; i < out.size(); ++i) sorted[starts[static_cast<std::size_t>(layers[i])]++] = out[i];
  return sorted;
}

std::int64_t markerradius(const mapfit& fit, std::int32_t fractionbits) {
  if (fit.scalepixels <= 0 || fit.scaleunits <= 0) return 3;
  // round(16 map units * pixels / units), halves away from zero; exact in 128 bits.
  const int128 n = (int128{16} << fractionbits) * fit.scalepixels;
  const int128 r = (2 * n + fit.scaleunits) / (2 * int128{fit.scaleunits});
  return static_cast<std::int64_t>(std::clamp<int128>(r, 3, greatestradius));
}

std::array<std::array<double, 2>, 3> trianglecorners(double r, std::int32_t angle) {
  const double a = angle * (std::numbers::pi / 180);
  const double c = std::cos(a);
  const double n = std::sin(a);
  const std::array<std::array<double, 2>, 3> shape = {{{r, 0}, {-r / 2.0, 0.7 * r}, {-r / 2.0, -0.7 * r}}};
  std::array<std::array<double, 2>, 3> out{};
  for (std::size_t i = 0; i < 3; ++i) {
    const double dx = shape[i][0];
    const double dy = shape[i][1];
    out[i] = {dx * c - dy * n, -(dx * n + dy * c)};
  }
  return out;
}

markershape markerat(std::int64_t px, std::int64_t py, std::int64_t r, std::int32_t angle, bool cross) {
  markershape s;
  if (cross) {
    s.lines[0] = {px - r, py, px + r, py};
    s.lines[1] = {px, py - r, px, py + r};
    s.count = 2;
    return s;
  }
  const std::array<std::array<double, 2>, 3> offsets = trianglecorners(static_cast<double>(r), angle);
  std::array<std::array<std::int64_t, 2>, 3> corner{};
  for (std::size_t i = 0; i < 3; ++i) {
    corner[i] = {px + std::llround(offsets[i][0]), py + std::llround(offsets[i][1])};
  }
  for (std::size_t i = 0; i < 3; ++i) {
    const auto& from = corner[i];
    const auto& to = corner[(i + 1) % 3];
    s.lines[i] = {from[0], from[1], to[0], to[1]};
  }
  s.count = 3;
  return s;
}

void drawmarkers(const std::vector<scenemarker>& markers, const mapfit& fit, std::int64_t r,
                 const linestyle& style, TPixmap& buffer) {
  const int128 right = int128{buffer.width()} - 1 + r;
  const int128 bottom = int128{buffer.height()} - 1 + r;
  // Drawing a marker is a function of each pixel it touches alone: once a drawing leaves every pixel
  // as it was, drawing it again does too. A run of one marker at one spot then costs a few drawings.
  markershape last;
  std::int32_t lastcolor = 0;
  bool settled = false;  // drawing `last` in `lastcolor` again would change no pixel
  const scenemarker* previous = nullptr;
  for (const scenemarker& t : markers) {
    // The same place, way and look as the marker before: the same shape, found without the fit.
    const bool repeated = previous != nullptr && t.x == previous->x && t.y == previous->y &&
                          t.angle == previous->angle && t.cross == previous->cross &&
                          t.color == previous->color;
    previous = &t;
    if (repeated && settled && t.color == lastcolor) continue;
    const int128 px = fit.widecolumn(t.x);
    const int128 py = fit.widerow(t.y);
    if (px < -r || py < -r || px > right || py > bottom) continue;
    const markershape s =
        markerat(static_cast<std::int64_t>(px), static_cast<std::int64_t>(py), r, t.angle, t.cross);
    if (settled && t.color == lastcolor && sameshape(s, last)) continue;
    bool changed = false;
    for (std::size_t i = 0; i < s.count; ++i) drawmarkerline(buffer, s.lines[i], t.color, style, changed);
    // An opaque colour without anti-aliasing gives every pixel it touches that colour, whatever it was.
    const bool opaque = (static_cast<std::uint32_t>(t.color) >> 24) == 255;
    settled = !changed || (opaque && !style.antialias);
    last = s;
    lastcolor = t.color;
  }
}

}  // namespace tracewell

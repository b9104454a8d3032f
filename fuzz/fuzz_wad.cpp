// Fuzz target: arbitrary bytes as a WAD file; read it, decode every map in both layouts (or as UDMF), render
// and save.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzzhooks.h"
#include "render/automap.h"
#include "render/png.h"
#include "wad/map.h"
#include "wad/wad.h"

using namespace tracewell;

namespace {

struct size {
  std::int32_t width, height, margin;
};
// The usual small image, then sizes at the edges: one pixel, a margin that
// swallows the image, a negative margin, a wide strip.
const size sizes[] = {{64, 48, 2}, {1, 1, 0}, {16, 9, 8}, {7, 30, -3}, {300, 2, 1}};

void drawmap(const map& m) {
  bool first = true;
  for (const size& s : sizes) {
    auto drawn = render(m, s.width, s.height, s.margin, black, {}, {}, 1);
    if (!drawn.ok()) return;  // indices out of range: every size fails alike
    const auto& fallback = drawn.value();
    if (!fallback || fallback->width() != s.width || fallback->height() != s.height) {
      fuzz::broken("render did not give the requested size");
    }
    auto glass = render(m, s.width, s.height, s.margin, fuzz::glasslook).value();
    if (!glass) fuzz::broken("render gave no buffer");
    if (first) {
      const auto png = fuzz::workfolder() / "out.png";
      if (!WritePNG(*glass, u(png.string()), 5).ok()) fuzz::broken("WritePNG failed on a valid buffer");
      first = false;
    }
  }
}

// Groups are made afresh on each request: the same entries, not the same objects.
bool samelumps(const lumpgroup& a, const lumpgroup& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i]->filepos != b[i]->filepos || a[i]->size != b[i]->size || a[i]->name != b[i]->name) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto path = fuzz::workfolder() / "input.wad";
  fuzz::writefile(path, std::string_view(reinterpret_cast<const char*>(data), size));
  fuzz::runquiet("", [&] {
    auto stream = bytestream::openread(u(path.string()));
    if (!stream) fuzz::broken("cannot open the input file");
    auto read = wad::read(stream, wad::DOOM);
    if (!read.ok() || !read.value()) return;
    const std::shared_ptr<wad>& w = read.value();
    int maps = 0;
    for (const text& name : w->getmapnames()) {
      if (++maps > 8) break;  // later maps take the same paths
      const lumpgroup group = w->getmapgroup(name);
      const auto longest =
          static_cast<std::size_t>(istextmapgroup(group) ? wad::textmaplumps : wad::maplumps + 1);
      if (group.empty() || group.size() > longest)
        fuzz::broken("a listed map has no lump group, or a too long one");
      if (!samelumps(group, w->mapgroupat(*w->findentry(name))))
        fuzz::broken("a map's group depends on how it is found");
      for (std::int32_t format : {wad::DOOM, wad::HEXEN}) {
        // A failure ends only this layout's attempt; a UDMF map fails with a notice only.
        const auto m = map::Create(group, format, name);
        if (m.ok()) {
          drawmap(*m.value());
        } else if (istextmapgroup(group) &&
                   (m.error().what != failure::kind::notice || m.error().lines.size() != 1)) {
          fuzz::broken("a UDMF map failed otherwise than with its one error line");
        }
      }
    }
  });
  return 0;
}

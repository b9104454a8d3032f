// Fuzz target: arbitrary bytes as a TEXTMAP; read it, check what the reader promises, write it back, draw it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzhooks.h"
#include "render/automap.h"
#include "testlib/udmfwriter.h"
#include "wad/map.h"
#include "wad/udmf.h"

using namespace tracewell;

namespace {

struct imagesize {
  std::int32_t width, height, margin;
};
const imagesize sizes[] = {{64, 48, 2}, {1, 1, 0}, {7, 30, -3}, {300, 2, 1}};

constexpr std::int64_t coordinatelimit = std::int64_t{1} << 47;  // 2^31 units of 1/65536

// Every reference in range and every coordinate within +-2^31: what the drawing relies on.
void checkmap(const map& m) {
  if (m.fractionbits != 16) fuzz::broken("a UDMF map not in 1/65536 units");
  for (const vertex& v : m.vertexes) {
    if (v.x > coordinatelimit || v.x < -coordinatelimit || v.y > coordinatelimit || v.y < -coordinatelimit) {
      fuzz::broken("a coordinate beyond 2^31 was accepted");
    }
  }
  const auto sides = static_cast<std::int64_t>(m.sidedefs.size());
  for (const linedef& l : m.linedefs) {
    if (l.startvertex >= m.vertexes.size() || l.endvertex >= m.vertexes.size()) {
      fuzz::broken("a linedef names a vertex that does not exist");
    }
    // Either side may be absent (-1): real maps have lines with no front side.
    if (l.rightside < -1 || l.rightside >= sides || l.leftside < -1 || l.leftside >= sides) {
      fuzz::broken("a linedef names a sidedef that does not exist");
    }
  }
  for (const sidedef& s : m.sidedefs) {
    if (s.sector >= m.sectors.size()) fuzz::broken("a sidedef names a sector that does not exist");
  }
}

bool samemap(const map& a, const map& b) {
  if (a.vertexes.size() != b.vertexes.size() || a.linedefs.size() != b.linedefs.size() ||
      a.sidedefs.size() != b.sidedefs.size() || a.sectors.size() != b.sectors.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.vertexes.size(); ++i) {
    if (a.vertexes[i].x != b.vertexes[i].x || a.vertexes[i].y != b.vertexes[i].y) return false;
  }
  for (std::size_t i = 0; i < a.linedefs.size(); ++i) {
    const linedef &p = a.linedefs[i], &q = b.linedefs[i];
    if (p.startvertex != q.startvertex || p.endvertex != q.endvertex || p.rightside != q.rightside ||
        p.leftside != q.leftside || p.special != q.special || p.flags != q.flags) {
      return false;
    }
  }
  for (std::size_t i = 0; i < a.sidedefs.size(); ++i) {
    if (a.sidedefs[i].sector != b.sidedefs[i].sector) return false;
  }
  for (std::size_t i = 0; i < a.sectors.size(); ++i) {
    if (a.sectors[i].floorheight != b.sectors[i].floorheight ||
        a.sectors[i].ceilheight != b.sectors[i].ceilheight) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view textmap(reinterpret_cast<const char*>(data), size);
  // Things asked for on odd-sized inputs, so both ways of reading thing blocks are fuzzed.
  const udmfresult r = readudmf(textmap, size % 2 == 1);
  if (!r.m == !r.error) fuzz::broken("readudmf gave both or neither of a map and an error");
  if (r.error) {
    std::int64_t lines = 1;
    // CR, LF and CR LF each end one line.
    for (std::size_t i = 0; i < textmap.size(); ++i) {
      const bool crlf = textmap[i] == '\r' && i + 1 < textmap.size() && textmap[i + 1] == '\n';
      lines += (textmap[i] == '\n' || (textmap[i] == '\r' && !crlf)) ? 1 : 0;
    }
    if (r.error->line < 1 || r.error->line > lines) fuzz::broken("an error line outside the text");
    if (r.error->detail.empty()) fuzz::broken("an error without a detail");
    return 0;
  }
  const map& m = *r.m;
  checkmap(m);
  // Written back and read again, the map is the same to the last 1/65536.
  const udmfresult again = readudmf(testkit::toudmf(m));
  if (!again.m || !samemap(m, *again.m)) fuzz::broken("the map written as UDMF reads back differently");
  const auto status = fuzz::runquiet("", [&] {
    // Every reference is in range, so the drawing must succeed at every size.
    const auto drawn = [](const result<std::unique_ptr<TPixmap>>& r) { return r.ok() && r.value(); };
    for (const imagesize& s : sizes) {
      if (!drawn(render(m, s.width, s.height, s.margin, black, {}, {}, 1)))
        fuzz::broken("render gave no buffer");
      if (!drawn(render(m, s.width, s.height, s.margin, fuzz::glasslook))) {
        fuzz::broken("render gave no buffer");
      }
    }
  });
  if (status) fuzz::broken("drawing a UDMF map ended the process");
  return 0;
}

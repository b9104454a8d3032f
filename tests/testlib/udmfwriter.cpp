// UDMF text from map records, as a map editor writes it: the reference the UDMF reader is held to.
#include "testlib/udmfwriter.h"

#include <array>
#include <cstdint>

namespace tracewell::testkit {

namespace {

__extension__ typedef __int128 int128;

// v / 2^bits as an exact decimal: v * 5^bits with the point `bits` digits from the right.
std::string exact(std::int64_t v, int bits, bool forcepoint) {
  int128 scaled = v < 0 ? -int128{v} : int128{v};
  for (int i = 0; i < bits; ++i) scaled *= 5;
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(scaled % 10)));
    scaled /= 10;
  } while (scaled != 0);
  if (digits.size() <= static_cast<std::size_t>(bits)) digits.insert(0, bits + 1 - digits.size(), '0');
  std::string whole = digits.substr(0, digits.size() - bits);
  std::string fraction = digits.substr(digits.size() - bits);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string out = v < 0 ? "-" + whole : whole;
  if (!fraction.empty()) return out + "." + fraction;
  return forcepoint ? out + ".0" : out;
}

std::string quotedname(const text& name) {
  std::string out = "\"";
  for (const char16_t c : name) {
    if (c == 0) break;  // the NUL padding of an 8-byte name
    if (c == '"' || c == '\\') out += '\\';
    out += static_cast<char>(c);
  }
  return out + "\"";
}

void field(std::string& out, const char* key, const std::string& value) {
  out += key;
  out += " = ";
  out += value;
  out += ";\n";
}

// The UDMF keys of linedef flag bits 0 upward.
const std::array<const char*, 10> flagkeys = {"blocking",      "blockmonsters", "twosided",   "dontpegtop",
                                              "dontpegbottom", "secret",        "blocksound", "dontdraw",
                                              "mapped",        "passuse"};

void arguments(std::string& out, const std::array<std::int64_t, 5>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != 0) field(out, ("arg" + std::to_string(i)).c_str(), std::to_string(args[i]));
  }
}

}  // namespace

std::string toudmf(const map& m, int halvings) {
  const int bits = halvings + m.fractionbits;
  std::string out = "namespace = \"doom\";\n";
  for (std::size_t i = 0; i < m.vertexes.size(); ++i) {
    out += "\nvertex // " + std::to_string(i) + "\n{\n";
    field(out, "x", exact(m.vertexes[i].x, bits, halvings > 0));
    field(out, "y", exact(-m.vertexes[i].y, bits, halvings > 0));
    out += "}\n";
  }
  for (std::size_t i = 0; i < m.linedefs.size(); ++i) {
    const linedef& l = m.linedefs[i];
    out += "\nlinedef // " + std::to_string(i) + "\n{\n";
    field(out, "v1", std::to_string(l.startvertex));
    field(out, "v2", std::to_string(l.endvertex));
    if (l.rightside >= 0) field(out, "sidefront", std::to_string(l.rightside));
    if (l.leftside >= 0) field(out, "sideback", std::to_string(l.leftside));
    if (l.special != 0) field(out, "special", std::to_string(l.special));
    if (l.sectortag != 0) field(out, "id", std::to_string(l.sectortag));
    for (std::size_t bit = 0; bit < flagkeys.size(); ++bit) {
      if ((l.flags & (1u << bit)) != 0) field(out, flagkeys[bit], "true");
    }
    arguments(out, l.args);
    if (l.locknumber != 0) field(out, "locknumber", std::to_string(l.locknumber));
    out += "}\n";
  }
  for (std::size_t i = 0; i < m.sidedefs.size(); ++i) {
    const sidedef& s = m.sidedefs[i];
    out += "\nsidedef // " + std::to_string(i) + "\n{\n";
    if (s.xoff != 0) field(out, "offsetx", std::to_string(s.xoff));
    if (s.yoff != 0) field(out, "offsety", std::to_string(s.yoff));
    field(out, "texturetop", quotedname(s.uppertex));
    field(out, "texturebottom", quotedname(s.lowertex));
    field(out, "texturemiddle", quotedname(s.middletex));
    field(out, "sector", std::to_string(s.sector));
    out += "}\n";
  }
  for (std::size_t i = 0; i < m.sectors.size(); ++i) {
    const sector& s = m.sectors[i];
    out += "\nsector // " + std::to_string(i) + "\n{\n";
    if (s.floorheight != 0) field(out, "heightfloor", std::to_string(s.floorheight));
    if (s.ceilheight != 0) field(out, "heightceiling", std::to_string(s.ceilheight));
    field(out, "texturefloor", quotedname(s.floortex));
    field(out, "textureceiling", quotedname(s.ceiltex));
    field(out, "lightlevel", std::to_string(s.light));
    if (s.sectortype != 0) field(out, "special", std::to_string(s.sectortype));
    if (s.sectortag != 0) field(out, "id", std::to_string(s.sectortag));
    out += "}\n";
  }
  for (std::size_t i = 0; m.things && i < m.things->size(); ++i) {
    const thing& t = (*m.things)[i];
    out += "\nthing // " + std::to_string(i) + "\n{\n";
    field(out, "x", exact(t.x, bits, halvings > 0));
    field(out, "y", exact(-t.y, bits, halvings > 0));
    if (t.angle != 0) field(out, "angle", std::to_string(t.angle));
    field(out, "type", std::to_string(t.type));
    for (int skill = 1; skill <= 5; ++skill) {
      if ((t.skills & (1u << (skill - 1))) != 0)
        field(out, ("skill" + std::to_string(skill)).c_str(), "true");
    }
    if (t.single) field(out, "single", "true");
    if (t.coop) field(out, "coop", "true");
    if (t.deathmatch) field(out, "dm", "true");
    if (t.special != 0) field(out, "special", std::to_string(t.special));
    arguments(out, t.args);
    out += "}\n";
  }
  return out;
}

}  // namespace tracewell::testkit

// Builds the binary seed corpora: synthetic WADs and single-map WADs cut from freedoom2.wad.
// Usage: fuzz_seeds <folder>; writes <folder>/wad/*.wad, <folder>/archive/*.zip,
// <folder>/batch/* (argument vectors, NUL between arguments) and <folder>/diff/* (two versions).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "testlib/wadbuilder.h"
#include "testlib/zipbuilder.h"
#include "wad/lumplayout.h"
#include "wad/ziplayout.h"

namespace {

using namespace tracewell;
using namespace tracewell::testkit;

// Two rooms side by side with every kind of line the renderer sorts: one-sided
// walls, two-sided lines with floor, ceiling and both changes, action lines,
// a side whose sector is out of range and a zero-length line.
mapdata rooms(std::int32_t format) {
  mapdata m;
  m.format = format;
  m.vertexes = {{0, 0}, {0, 128}, {128, 128}, {128, 0}, {256, 128}, {256, 0}, {192, 64}, {192, 64}};
  m.sectors = {rawsector{0, 128}, rawsector{16, 128}, rawsector{0, 96}, rawsector{24, 64}};
  auto side = [&m](std::int32_t sector) {
    m.sidedefs.push_back(rawsidedef{0, 0, "-", "-", "STARTAN3", sector});
    return static_cast<std::int32_t>(m.sidedefs.size() - 1);
  };
  // Start, end, flags, special, tag, right side, left side.
  auto line = [&m](rawlinedef l) { m.linedefs.push_back(l); };
  line({0, 1, 1, 0, 0, side(0), -1});       // wall
  line({1, 2, 1, 11, 0, side(0), -1});      // wall with an action
  line({3, 0, 1, 0, 0, side(0), -1});       // wall
  line({2, 3, 4, 0, 0, side(0), side(1)});  // floor change
  line({2, 4, 4, 0, 0, side(1), side(2)});  // both change
  line({4, 5, 4, 1, 0, side(2), side(3)});  // action, both change
  line({5, 3, 5, 0, 0, side(0), side(0)});  // impassable, no change
  line({6, 7, 0, 0, 0, side(9), -1});       // zero length, sector out of range
  line({3, 6, 4, 0, 0, side(0), side(3)});  // ceiling and floor change
  return m;
}

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A field of the record that starts at `at`.
std::int32_t s32(const std::string& b, std::size_t at, wadformat::field f) {
  return wadformat::gets32(reinterpret_cast<const unsigned char*>(b.data() + at), f);
}

// Single-map WADs from freedoom2.wad: the `count` maps whose four drawn lumps
// are smallest, with the six lumps that are never read left empty.
void cutfreedoom(const std::filesystem::path& out, std::size_t count) {
  const std::string iwad = TRACEWELL_FREEDOOM2;
  if (!std::filesystem::exists(iwad)) {
    std::fprintf(stderr, "fuzz_seeds: %s not found; no Freedoom seeds\n", iwad.c_str());
    return;
  }
  const std::string bytes = slurp(iwad);
  using namespace wadformat;
  if (bytes.size() < header::bytes) return;
  const std::int32_t numlumps = s32(bytes, 0, header::numlumps);
  const std::size_t dir = static_cast<std::size_t>(s32(bytes, 0, header::infotableoffset));
  struct entry {
    std::string name;
    std::string data;
  };
  std::vector<entry> all;
  for (std::int32_t i = 0; i < numlumps && dir + direntry::bytes * (i + 1) <= bytes.size(); ++i) {
    const std::size_t at = dir + direntry::bytes * static_cast<std::size_t>(i);
    std::string name = bytes.substr(at + direntry::name.offset, direntry::name.width);
    name = name.substr(0, name.find('\0'));
    const auto pos = static_cast<std::size_t>(s32(bytes, at, direntry::filepos));
    const auto size = static_cast<std::size_t>(s32(bytes, at, direntry::size));
    all.push_back({name, pos + size <= bytes.size() ? bytes.substr(pos, size) : std::string()});
  }
  struct cut {
    std::size_t cost;
    wadbuilder wad;
    std::string name;
  };
  std::vector<cut> maps;
  for (std::size_t i = 0; i + 10 < all.size(); ++i) {
    if (all[i].name.rfind("MAP", 0) != 0) continue;
    cut c{0, wadbuilder("PWAD"), all[i].name};
    c.wad.addlump(all[i].name);
    for (std::size_t k = 1; k <= 10; ++k) {
      const entry& e = all[i + k];
      const bool drawn =
          e.name == "VERTEXES" || e.name == "LINEDEFS" || e.name == "SIDEDEFS" || e.name == "SECTORS";
      c.wad.addlump(e.name, drawn ? e.data : std::string());
      if (drawn) c.cost += e.data.size();
    }
    maps.push_back(std::move(c));
  }
  std::sort(maps.begin(), maps.end(), [](const cut& a, const cut& b) { return a.cost < b.cost; });
  for (std::size_t i = 0; i < maps.size() && i < count; ++i) {
    maps[i].wad.write(out / ("freedoom2-" + maps[i].name + ".wad"));
  }
}

// Archives of the WAD seeds: a PK3 with maps/MAPxx.wad entries, a .zip holding
// WADs in folders, one with entries that cannot be read, one whose entries share
// their data, an empty one.
void writearchives(const std::filesystem::path& out, const std::filesystem::path& wads) {
  std::filesystem::create_directories(out);
  auto write = [&out](const std::string& name, const std::string& bytes) {
    std::ofstream(out / name, std::ios::binary) << bytes;
  };
  wadbuilder square;
  square.addmap("MAP01", squaremap(wad::DOOM));
  wadbuilder renamed;
  renamed.addmap("ANYNAME", rooms(wad::DOOM));
  const std::string roomswad = slurp(wads / "rooms.wad");
  write("pk3.zip", buildzip({{"maps/MAP01.wad", square.bytes(), true, ""},
                             {"MAPS/map02.WAD", renamed.bytes(), false, ""},
                             {"maps/", "", false, ""},
                             {"readme.txt", "A map.\n", true, ""}}));
  write("folders.zip", buildzip({{"pack/rooms.wad", roomswad, true, ""},
                                 {"maps/sub/short.wad", slurp(wads / "short-groups.wad"), false, ""},
                                 {"rooms.txt", "Rooms.\n", false, ""}}));
  write("unreadable.zip", buildzip({{"secret.wad", roomswad, true, "password"},
                                    {"text.wad", "not a WAD", true, ""},
                                    {"maps/MAP03.wad", "PWAD", false, ""},
                                    {"maps/MAP04.wad", roomswad, true, ""}}));
  write("empty.zip", emptyzip());
  // Entries whose central records point at one local header, as a bomb lays them out.
  std::string overlapping = buildzip({{"maps/MAP01.wad", square.bytes(), true, ""},
                                      {"maps/MAP02.wad", square.bytes(), true, ""},
                                      {"copy.wad", square.bytes(), true, ""}});
  for (std::size_t i = 1; i < 3; ++i) {
    puts32(overlapping, centralheader(overlapping, i) + wadformat::zipcentralheader::localheaderoffset.offset,
           static_cast<std::int32_t>(localheader(overlapping, 0)));
  }
  write("overlapping.zip", overlapping);
  for (const auto& entry : std::filesystem::directory_iterator(wads)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("freedoom2-", 0) == 0) {
      write(entry.path().stem().string() + ".zip",
            buildzip({{"maps/" + name.substr(10), slurp(entry.path()), true, ""}}));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  const std::filesystem::path wads = root / "wad";
  std::filesystem::create_directories(wads);

  {
    wadbuilder b("IWAD");
    b.addmap("MAP01", squaremap(wad::DOOM));
    b.write(wads / "square-doom.wad");
  }
  {
    wadbuilder b;
    b.addmap("MAP01", squaremap(wad::HEXEN));
    b.write(wads / "square-hexen.wad");
  }
  {
    // Several maps, both layouts, a MAPINFO that lists as a map, an ExMy that does not.
    wadbuilder b;
    b.addlump("MAPINFO", "map MAP01 \"Rooms\"\n");
    b.addmap("MAP01", rooms(wad::DOOM));
    b.addmap("E1M1", squaremap(wad::DOOM));
    b.addmap("MAP02", rooms(wad::HEXEN));
    b.addmap("map03", squaremap(wad::DOOM, 32767));
    b.write(wads / "rooms.wad");
  }
  {
    // A map whose group runs past the end of the directory, and one lacking REJECT.
    wadbuilder b;
    mapoptions noreject;
    noreject.omit = {"REJECT"};
    b.addmap("MAP01", rooms(wad::DOOM), noreject);
    b.addmap("MAP02", squaremap(wad::DOOM));
    b.addlump("MAP03", "");
    b.addlump("THINGS", "");
    b.write(wads / "short-groups.wad");
  }
  {
    // Bad references: a vertex past the end, then a sidedef past the end.
    mapdata badvertex = squaremap(wad::DOOM);
    badvertex.linedefs[2].endvertex = 4;
    mapdata badside = squaremap(wad::DOOM);
    badside.linedefs[1].leftside = 4;
    wadbuilder b;
    b.addmap("MAP01", badvertex);
    b.addmap("MAP02", badside);
    b.write(wads / "bad-references.wad");
  }
  {
    // Extreme coordinates: the corners of the 16-bit range.
    mapdata m = squaremap(wad::DOOM);
    m.vertexes = {{-32768, -32768}, {-32768, 32767}, {32767, 32767}, {32767, -32768}};
    wadbuilder b;
    b.addmap("MAP01", m);
    b.write(wads / "extremes.wad");
  }
  {
    wadbuilder b;
    b.write(wads / "empty.wad");
  }
  {
    // A lump that lies past the end of the file, and one with a negative position.
    wadbuilder b;
    const std::size_t map = b.addmap("MAP01", squaremap(wad::DOOM));
    b.entry(map + 4).filepos = 1 << 30;
    const std::size_t map2 = b.addmap("MAP02", squaremap(wad::DOOM));
    b.entry(map2 + 2).filepos = -16;
    b.write(wads / "lying-lumps.wad");
  }
  {
    // UDMF maps: a room, a syntax error, a TEXTMAP past the end of the file, then a binary map.
    const std::string room =
        "namespace = \"doom\";\n"
        "vertex { x = 0; y = 0; }\nvertex { x = 0; y = 64.5; }\nvertex { x = 64; y = 64; }\n"
        "sector { heightfloor = 0; heightceiling = 128; }\nsidedef { sector = 0; }\n"
        "linedef { v1 = 0; v2 = 1; sidefront = 0; blocking = true; }\n"
        "linedef { v1 = 1; v2 = 2; sidefront = 0; sideback = 0; special = 11; }\n"
        "linedef { v1 = 2; v2 = 0; sidefront = 0; }\n";
    wadbuilder b;
    b.addudmfmap("MAP01", room);
    b.addudmfmap("MAP02", "vertex { x = 0 }");
    const std::size_t lying = b.addudmfmap("MAP03", room);
    b.entry(lying + 1).size = 1 << 30;
    b.addmap("MAP04", rooms(wad::DOOM));
    b.write(wads / "udmf.wad");
  }
  cutfreedoom(wads, 3);
  writearchives(root / "archive", wads);

  // Command lines of the batch target: names that are patterns, climb or hold control bytes.
  const std::filesystem::path batch = root / "batch";
  std::filesystem::create_directories(batch);
  const std::vector<std::vector<std::string>> lines = {
      {"-d", "out", "-a", "%.wad", "MAP01.wad", "a/%%.wad", "*.wad"},
      {"-d", "out", "-o", "x/%.png", "-m", ".", "-m", "..", "%%.wad", "a\\..\\b.wad"},
      {"--dest", "o/%", "--manifest", "m.json", "--skip-existing", "-a", "d1/a.wad", "d2/a.wad", "a-2.wad"},
      {"-d", "..", "-m", "MAP01", "-o", "*-%.png", "t\x1b]0;x\x07.wad", "n\nl.wad"},
      {"--manifest", "-", "--max-maps", "3", "-a", "small.wad", "-s", "8x8", "-o", "../%.png"},
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string bytes;
    for (const std::string& arg : lines[i]) bytes += (bytes.empty() ? "" : std::string(1, '\0')) + arg;
    std::ofstream(batch / ("line" + std::to_string(i)), std::ios::binary) << bytes;
  }

  // Versions of the diff target: a WAD alone (compared with itself), then pairs that differ in their
  // maps, their layouts or their kind (a WAD against an archive).
  const std::filesystem::path diff = root / "diff";
  std::filesystem::create_directories(diff);
  const auto wadof = [&](const char* name) { return slurp(wads / name); };
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"rooms", wadof("rooms.wad")},
      {"udmf", wadof("udmf.wad")},
      {"square-rooms", wadof("square-doom.wad") + "=NEW=WAD" + wadof("rooms.wad")},
      {"doom-hexen", wadof("square-doom.wad") + "=NEW=WAD" + wadof("square-hexen.wad")},
      {"udmf-rooms", wadof("udmf.wad") + "=NEW=WAD" + wadof("rooms.wad")},
      {"wad-zip", wadof("rooms.wad") + "=NEW=WAD" + slurp(root / "archive" / "folders.zip")},
  };
  for (const auto& [name, bytes] : pairs) std::ofstream(diff / name, std::ios::binary) << bytes;
  return 0;
}

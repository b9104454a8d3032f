// ZIP archive reading: recognition, entry names, entry bytes, and every way an entry can fail.
#include "wad/archive.h"

#include <gtest/gtest.h>

#include <random>

#include "testlib/harness.h"
#include "testlib/zipbuilder.h"
#include "wad/mapsource.h"

namespace tracewell {
namespace {

using testkit::buildzip;
using testkit::zipentry;
namespace central = wadformat::zipcentralheader;
namespace local = wadformat::ziplocalheader;

entrybytes shared(const std::string& s) {
  return std::make_shared<const std::vector<unsigned char>>(s.begin(), s.end());
}

std::string asstring(const result<entrybytes>& b) {
  return b.ok() && b.value() ? std::string(b.value()->begin(), b.value()->end()) : std::string("<none>");
}

// Why an opening or a reading failed; none when it did not.
using reason = failure::reason;
constexpr reason none = reason::unspecified;
template <typename T>
reason why(const result<T>& r) {
  return r.ok() ? none : r.error().why;
}

std::string noise(std::size_t n) {
  std::mt19937 rng(7);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng() % 7);  // compressible, not trivially
  return s;
}

TEST(Archive, RecognisesLocalHeaderAndEmptyArchiveOnly) {
  const struct {
    std::string head;
    bool zip;
  } cases[] = {{"PK\3\4", true},    {"PK\5\6", true}, {"PK\3\4rest", true}, {"PK\1\2", false},
               {"PK\7\x08", false}, {"PWAD", false},  {"IWAD", false},      {"PK\3", false},
               {"", false},         {"pk\3\4", false}};
  for (const auto& c : cases) {
    const std::vector<unsigned char> bytes(c.head.begin(), c.head.end());
    EXPECT_EQ(archive::recognise(bytes), c.zip) << c.head;
  }
}

TEST(Archive, EntriesReadBackAsWrittenFromFileAndMemory) {
  const std::vector<zipentry> entries = {
      {"maps/MAP01.wad", noise(200000), true, ""},  // more than one read chunk
      {"stored.bin", noise(70000), false, ""},
      {"empty", "", true, ""},
      {"../../etc/passwd", "only a name", false, ""},
      {"/abs/path.wad", "x", true, ""},
      {std::string("caf\xe9.txt"), "raw name bytes", true, ""},
  };
  const std::string bytes = buildzip(entries);
  testkit::tempdir dir;
  testkit::writefile(dir / "a.pk3", bytes);
  for (int frommemory = 0; frommemory < 2; ++frommemory) {
    result<std::shared_ptr<archive>> o =
        frommemory ? archive::openmemory(shared(bytes)) : archive::openfile(u((dir / "a.pk3").string()));
    ASSERT_TRUE(o.ok()) << frommemory;
    archive& zip = *o.value();
    ASSERT_EQ(zip.names().size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(zip.names()[i], frombytes(entries[i].name));
      const result<entrybytes> r = zip.read(i);
      EXPECT_EQ(why(r), none) << entries[i].name;
      EXPECT_EQ(asstring(r), entries[i].data) << entries[i].name;
    }
    EXPECT_EQ(why(zip.read(entries.size())), reason::noentry);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "etc")) << "nothing is extracted";
}

// A name flagged UTF-8 reads as UTF-8 and, as a map's name, is upper-cased in
// its ASCII letters only; an unflagged name stays bytes, upper-cased as Latin-1.
TEST(Archive, NamesFlaggedUtf8) {
  const struct {
    std::string name;
    bool utf8;
    std::u16string want, map;  // the entry's name, and the map it names when listed by content
  } cases[] = {
      {"maps/\xe6\x97\xa5\xe6\x9c\xac.wad", true, u"maps/\u65e5\u672c.wad", u"\u65e5\u672c"},
      {"maps/caf\xc3\xa9.wad", true, u"maps/caf\u00e9.wad", u"CAF\u00e9"},
      {"maps/map01.wad", true, u"maps/map01.wad", u"MAP01"},
      {"maps/caf\xc3\xa9x.wad", false, u"maps/caf\u00c3\u00a9x.wad", u"CAF\u00c3\u00a9X"},
      {"maps/caf\xe9y.wad", false, u"maps/caf\u00e9y.wad", u"CAF\u00c9Y"},
  };
  std::vector<zipentry> entries;
  for (const auto& c : cases) entries.push_back({c.name, "not read", false, "", c.utf8});
  const result<std::shared_ptr<mapsource>> source =
      openmapsource(shared(buildzip(entries)), {}, mapdetection::content);
  ASSERT_TRUE(source.ok());
  const std::list<text> maps = source.value()->getmapnames();
  ASSERT_EQ(maps.size(), std::size(cases));
  auto listed = maps.begin();
  for (const auto& c : cases) {
    EXPECT_EQ(*listed++, c.map) << c.name;
  }
  const auto zip = archive::openmemory(shared(buildzip(entries)));
  ASSERT_TRUE(zip.ok());
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(zip.value()->names()[i], cases[i].want);
}

TEST(Archive, OpeningFailsAsAValue) {
  testkit::tempdir dir;
  const std::string good = buildzip({{"a.wad", "data", true, ""}});
  const struct {
    std::string name;
    std::string bytes;
    reason failure;
  } cases[] = {
      {"not a zip", std::string("PWAD\0\0\0\0\x0c\0\0\0", 12), reason::notparsable},
      {"empty file", "", reason::notparsable},
      {"end record cut off", good.substr(0, good.size() - 22), reason::notparsable},
      {"only the local header", good.substr(0, 30), reason::notparsable},
      {"empty archive", testkit::emptyzip(), none},
  };
  for (const auto& c : cases) {
    testkit::writefile(dir / "t.zip", c.bytes);
    const result<std::shared_ptr<archive>> f = archive::openfile(u((dir / "t.zip").string()));
    const result<std::shared_ptr<archive>> m = archive::openmemory(shared(c.bytes));
    EXPECT_EQ(why(f), c.failure) << c.name;
    EXPECT_EQ(why(m), c.failure) << c.name;
    if (f.ok()) {
      EXPECT_TRUE(f.value()->names().empty());
    }
  }
  EXPECT_EQ(why(archive::openfile(u(dir.path().string()))), reason::cannotopen);
  EXPECT_EQ(why(archive::openfile(u((dir / "missing.zip").string()))), reason::cannotopen);
  EXPECT_EQ(why(archive::openfile(text(u"a\0b", 3))), reason::cannotopen);
  EXPECT_EQ(why(archive::openmemory(nullptr)), reason::notparsable);
}

TEST(Archive, DamagedEncryptedUnsupportedAndOversizedEntriesFailAsValues) {
  const std::string data = noise(5000);
  const auto size = static_cast<std::uint32_t>(data.size());
  // Entry 0 is deflated, entry 1 stored; each case damages one of them.
  struct damage {
    std::string name;
    std::size_t entry;
    std::function<void(std::string&)> apply;
    reason failure;
    std::uint64_t limit = archive::sizeceiling;
  };
  auto flipdata = [](std::size_t entry, std::size_t at) {
    return [entry, at](std::string& z) { z[testkit::dataoffset(z, entry) + at] ^= 0x55; };
  };
  auto declare = [](std::size_t entry, std::uint32_t declared) {
    return [entry, declared](std::string& z) {
      testkit::patchentry(z, entry, central::size, local::size, declared);
    };
  };
  const damage cases[] = {
      {"intact deflated", 0, [](std::string&) {}, none},
      {"intact stored at the limit", 1, [](std::string&) {}, none, size},
      {"over the limit", 1, [](std::string&) {}, reason::toolarge, size - 1},
      {"over 2 GiB declared", 0, declare(0, 0x80000001u), reason::toolarge},
      {"stored byte changed (CRC)", 1, flipdata(1, 100), reason::damaged},
      {"deflated stream broken", 0, flipdata(0, 3), reason::damaged},
      {"declares less than it holds", 0, declare(0, size - 10), reason::damaged},
      {"declares more than it holds", 0, declare(0, size + 10), reason::damaged},
      {"bomb: declares 256 MiB", 0, declare(0, 0x10000000u), reason::damaged},
      {"implode method", 1,
       [](std::string& z) { testkit::patchentry(z, 1, central::method, local::method, 6); },
       reason::unsupported},
      {"traditional encryption flag", 1,
       [](std::string& z) { testkit::patchentry(z, 1, central::flags, local::flags, 1); }, reason::encrypted},
      {"AES-256", 2, [](std::string&) {}, reason::encrypted},
  };
  const std::string intact =
      buildzip({{"d.wad", data, true, ""}, {"s.wad", data, false, ""}, {"e.wad", data, true, "secret"}});
  for (const damage& c : cases) {
    std::string z = intact;
    c.apply(z);
    result<std::shared_ptr<archive>> o = archive::openmemory(shared(z));
    ASSERT_TRUE(o.ok()) << c.name;
    const result<entrybytes> r = o.value()->read(c.entry, c.limit);
    EXPECT_EQ(why(r), c.failure) << c.name;
    if (r.ok()) {
      EXPECT_EQ(asstring(r), data) << c.name;
    }
    // The other entries are not affected.
    if (c.entry != 0) {
      EXPECT_EQ(asstring(o.value()->read(0)), data) << c.name;
    }
  }
}

}  // namespace
}  // namespace tracewell

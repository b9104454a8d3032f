// ZIP archive reading: recognition, entry names, entry bytes, and every way an entry can fail.
#include "wad/archive.h"

#include <gtest/gtest.h>

#include <random>

#include "testlib/harness.h"
#include "testlib/zipbuilder.h"

namespace tracewell {
namespace {

using testkit::buildzip;
using testkit::zipentry;
namespace ziplayout = testkit::ziplayout;

entrybytes shared(const std::string& s) {
  return std::make_shared<const std::vector<unsigned char>>(s.begin(), s.end());
}

std::string asstring(const entrybytes& b) {
  return b ? std::string(b->begin(), b->end()) : std::string("<none>");
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
    archive::opening o =
        frommemory ? archive::openmemory(shared(bytes)) : archive::openfile(u((dir / "a.pk3").string()));
    ASSERT_TRUE(o.zip) << frommemory;
    ASSERT_EQ(o.zip->names().size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(o.zip->names()[i], frombytes(entries[i].name));
      const archive::reading r = o.zip->read(i);
      EXPECT_EQ(r.failure, archivefailure::none) << entries[i].name;
      EXPECT_EQ(asstring(r.bytes), entries[i].data) << entries[i].name;
    }
    EXPECT_EQ(o.zip->read(entries.size()).failure, archivefailure::noentry);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "etc")) << "nothing is extracted";
}

TEST(Archive, OpeningFailsAsAValue) {
  testkit::tempdir dir;
  const std::string good = buildzip({{"a.wad", "data", true, ""}});
  const struct {
    std::string name;
    std::string bytes;
    archivefailure failure;
  } cases[] = {
      {"not a zip", std::string("PWAD\0\0\0\0\x0c\0\0\0", 12), archivefailure::unreadable},
      {"empty file", "", archivefailure::unreadable},
      {"end record cut off", good.substr(0, good.size() - 22), archivefailure::unreadable},
      {"only the local header", good.substr(0, 30), archivefailure::unreadable},
      {"empty archive", testkit::emptyzip(), archivefailure::none},
  };
  for (const auto& c : cases) {
    testkit::writefile(dir / "t.zip", c.bytes);
    const archive::opening f = archive::openfile(u((dir / "t.zip").string()));
    const archive::opening m = archive::openmemory(shared(c.bytes));
    EXPECT_EQ(f.failure, c.failure) << c.name;
    EXPECT_EQ(m.failure, c.failure) << c.name;
    EXPECT_EQ(f.zip != nullptr, c.failure == archivefailure::none) << c.name;
    if (f.zip) {
      EXPECT_TRUE(f.zip->names().empty());
    }
  }
  EXPECT_EQ(archive::openfile(u(dir.path().string())).failure, archivefailure::unopenable);
  EXPECT_EQ(archive::openfile(u((dir / "missing.zip").string())).failure, archivefailure::unopenable);
  EXPECT_EQ(archive::openfile(text(u"a\0b", 3)).failure, archivefailure::unopenable);
  EXPECT_EQ(archive::openmemory(nullptr).failure, archivefailure::unreadable);
}

TEST(Archive, DamagedEncryptedUnsupportedAndOversizedEntriesFailAsValues) {
  const std::string data = noise(5000);
  const auto size = static_cast<std::uint32_t>(data.size());
  // Entry 0 is deflated, entry 1 stored; each case damages one of them.
  struct damage {
    std::string name;
    std::size_t entry;
    std::function<void(std::string&)> apply;
    archivefailure failure;
    std::uint64_t limit = archive::sizeceiling;
  };
  auto flipdata = [](std::size_t entry, std::size_t at) {
    return [entry, at](std::string& z) { z[testkit::dataoffset(z, entry) + at] ^= 0x55; };
  };
  auto declare = [](std::size_t entry, std::uint32_t declared) {
    return [entry, declared](std::string& z) { testkit::patchentry(z, entry, ziplayout::size, declared, 4); };
  };
  const damage cases[] = {
      {"intact deflated", 0, [](std::string&) {}, archivefailure::none},
      {"intact stored at the limit", 1, [](std::string&) {}, archivefailure::none, size},
      {"over the limit", 1, [](std::string&) {}, archivefailure::toolarge, size - 1},
      {"over 2 GiB declared", 0, declare(0, 0x80000001u), archivefailure::toolarge},
      {"stored byte changed (CRC)", 1, flipdata(1, 100), archivefailure::damaged},
      {"deflated stream broken", 0, flipdata(0, 3), archivefailure::damaged},
      {"declares less than it holds", 0, declare(0, size - 10), archivefailure::damaged},
      {"declares more than it holds", 0, declare(0, size + 10), archivefailure::damaged},
      {"bomb: declares 256 MiB", 0, declare(0, 0x10000000u), archivefailure::damaged},
      {"implode method", 1, [](std::string& z) { testkit::patchentry(z, 1, ziplayout::method, 6, 2); },
       archivefailure::unsupported},
      {"traditional encryption flag", 1,
       [](std::string& z) { testkit::patchentry(z, 1, ziplayout::flags, 1, 2); }, archivefailure::encrypted},
      {"AES-256", 2, [](std::string&) {}, archivefailure::encrypted},
  };
  const std::string intact =
      buildzip({{"d.wad", data, true, ""}, {"s.wad", data, false, ""}, {"e.wad", data, true, "secret"}});
  for (const damage& c : cases) {
    std::string z = intact;
    c.apply(z);
    archive::opening o = archive::openmemory(shared(z));
    ASSERT_TRUE(o.zip) << c.name;
    const archive::reading r = o.zip->read(c.entry, c.limit);
    EXPECT_EQ(r.failure, c.failure) << c.name;
    EXPECT_EQ(r.bytes != nullptr, c.failure == archivefailure::none) << c.name;
    if (r.bytes) {
      EXPECT_EQ(asstring(r.bytes), data) << c.name;
    }
    // The other entries are not affected.
    if (c.entry != 0) {
      EXPECT_EQ(asstring(o.zip->read(0).bytes), data) << c.name;
    }
  }
}

}  // namespace
}  // namespace tracewell

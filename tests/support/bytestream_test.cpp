// Byte stream: little-endian reads, the end test, seeking, buffering and failures.
#include "support/bytestream.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "testlib/harness.h"
#include "testlib/wadbuilder.h"

namespace tracewell {
namespace {

using testkit::openbytes;
using testkit::tempdir;

TEST(ByteStream, ReadsLittleEndianFieldsWithTheirSigns) {
  tempdir dir;
  const std::string bytes("\xFF\x34\x12\xFF\xFF\xFE\xFF\xFF\xFF\xFF\x00\x00\x80", 13);
  auto s = openbytes(dir.path(), bytes);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->size(), 13);
  EXPECT_EQ(s->readu8(), 255);
  EXPECT_EQ(s->readu16(), 0x1234);
  EXPECT_EQ(s->readu16(), 65535);  // unsigned, never -1
  EXPECT_EQ(s->reads32(), -2);
  EXPECT_EQ(s->reads32(), INT32_MIN + 0xFF);
  EXPECT_EQ(s->position(), 13);
  EXPECT_TRUE(s->eof());
}

TEST(ByteStream, EndIsOnlyAtTheFileSize) {
  tempdir dir;
  auto s = openbytes(dir.path(), "abcd");
  EXPECT_FALSE(s->eof());
  s->seek(4);
  EXPECT_TRUE(s->eof());
  s->seek(9);  // past the end: not "at the end"
  EXPECT_FALSE(s->eof());
  s->seek(1);
  EXPECT_EQ(s->readu8(), 'b');
  auto empty = openbytes(dir.path(), "", "empty");
  EXPECT_TRUE(empty->eof());
}

TEST(ByteStream, ReadTextKeepsNulBytesAndHighBytes) {
  tempdir dir;
  auto s = openbytes(dir.path(), std::string("MAP01\0\xE9X", 8));
  const text t = s->readtext(8);
  EXPECT_EQ(t, text(u"MAP01\0\u00E9X", 8));
}

std::shared_ptr<bytestream> inmemory(const std::string& bytes) {
  return bytestream::openmemory(
      std::make_shared<const std::vector<unsigned char>>(bytes.begin(), bytes.end()));
}

TEST(ByteStream, BufferedReadsAcrossTheBufferBoundary) {
  tempdir dir;
  std::string bytes(200000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
  // The file goes through the 64 KiB buffer; the same bytes in memory must read alike.
  for (const auto& s : {openbytes(dir.path(), bytes), inmemory(bytes)}) {
    // Field reads that straddle 64 KiB, after seeks back and forth.
    for (const std::int64_t at : {65533, 65534, 65535, 131071, 3, 131070, 199996}) {
      s->seek(at);
      const auto b = [&](std::int64_t k) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k]));
      };
      const std::uint32_t want = b(at) | b(at + 1) << 8 | b(at + 2) << 16 | b(at + 3) << 24;
      EXPECT_EQ(static_cast<std::uint32_t>(s->reads32()), want) << at;
    }
    // Large and small block reads agree with the file.
    s->seek(10);
    std::string block(150000, '\0');
    s->readbytes(block.data(), block.size());
    EXPECT_EQ(block, bytes.substr(10, 150000));
    EXPECT_EQ(s->readu8(), static_cast<unsigned char>(bytes[150010]));
    // readsome stops at the end without failing.
    s->seek(199990);
    std::string tail(100, '\0');
    EXPECT_EQ(s->readsome(tail.data(), tail.size()), 10u);
    EXPECT_TRUE(s->eof());
    EXPECT_TRUE(s->check().ok());
  }
}

TEST(ByteStream, ReadsPastTheEndFailTheStreamForGood) {
  tempdir dir;
  const struct {
    const char* what;
    void (*run)(bytestream&);
  } misuses[] = {
      {"s32 from a 3-byte file", [](bytestream& s) { (void)s.reads32(); }},
      {"u8 at the end",
       [](bytestream& s) {
         s.seek(3);
         (void)s.readu8();
       }},
      {"text past the end", [](bytestream& s) { (void)s.readtext(4); }},
      {"u16 beyond the end",
       [](bytestream& s) {
         s.seek(9);
         (void)s.readu16();
       }},
      {"negative seek", [](bytestream& s) { s.seek(-1); }},
  };
  for (const auto& m : misuses) {
    for (const auto& s : {openbytes(dir.path(), "abc"), inmemory("abc")}) {
      m.run(*s);
      EXPECT_TRUE(s->failed()) << m.what;
      EXPECT_EQ(s->check().error(), failure::readstream()) << m.what;
      // Sticky: a read that would succeed on its own gives nothing now.
      s->seek(0);
      EXPECT_EQ(s->readu8(), 0) << m.what;
      EXPECT_TRUE(s->eof()) << m.what;
    }
  }
  // Writing fails the same way once the stream is closed.
  outputfile out = outputfile::open(fromutf8((dir / "w.bin").string()));
  auto w = bytestream::appendto(out);
  w->close();
  w->writeu8(1);
  EXPECT_EQ(w->check().error(), failure::writestream());
}

TEST(ByteStream, OpenFailsWithoutAFile) {
  tempdir dir;
  EXPECT_EQ(bytestream::openread(fromutf8((dir / "missing").string())), nullptr);
  EXPECT_EQ(bytestream::openread(fromutf8(dir.path().string())), nullptr);  // a folder is no file
  outputfile refused = outputfile::open(fromutf8((dir / "no" / "such" / "folder").string()));
  EXPECT_EQ(bytestream::appendto(refused), nullptr);
}

TEST(ByteStream, WritesReadBack) {
  tempdir dir;
  const text path = fromutf8((dir / "out.bin").string());
  {
    outputfile out = outputfile::open(path);
    auto w = bytestream::appendto(out);
    ASSERT_TRUE(w);
    w->writeu8(0xAB);
    w->writes32(-2);
    const std::string big(70000, 'x');  // larger than the buffer
    w->writebytes(big.data(), big.size());
    w->writes32(0x01020304);
    w->close();
    ASSERT_TRUE(out.commit().ok());
  }
  auto r = bytestream::openread(path);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->size(), 1 + 4 + 70000 + 4);
  EXPECT_EQ(r->readu8(), 0xAB);
  EXPECT_EQ(r->reads32(), -2);
  r->seek(5 + 70000);
  EXPECT_EQ(r->reads32(), 0x01020304);
  EXPECT_TRUE(r->eof());
}

TEST(ByteStream, BackslashesSeparateFolders) {
  tempdir dir;
  std::filesystem::create_directory(dir / "sub");
  testkit::writefile(dir / "sub" / "f.wad", "PWAD");
  const std::string withbackslash = dir.path().string() + "\\sub\\f.wad";
  auto s = bytestream::openread(fromutf8(withbackslash));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->readtext(4), u"PWAD");
}

// A pipe is judged by its first bytes as they come, and read no further than the limit, in memory too.
TEST(ByteStream, PipesAreCheckedFirstAndReadWithinTheLimit) {
  constexpr std::uint64_t limit = std::uint64_t{1} << 20;
  const auto wad = [](std::size_t size) { return "PWAD" + std::string(size - 4, 'x'); };
  const struct {
    const char* name;
    std::string bytes;
    bool zeros;  // then zero bytes until the reader leaves
    std::optional<failure::reason> refused;
  } cases[] = {
      {"limit", wad(limit), false, std::nullopt},
      {"over", wad(limit + 1), false, failure::reason::overlimit},
      {"zeros", "", true, failure::reason::notparsable},
      {"wadthenzeros", "PWAD", true, failure::reason::overlimit},
      {"short", "PWA", false, std::nullopt},
      {"empty", "", false, std::nullopt},
  };
  tempdir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testkit::fifowriter writer(dir / c.name, c.bytes, c.zeros);
    const auto read =
        readwhole(fromutf8((dir / c.name).string()), limit, 4, [](std::span<const unsigned char> head) {
          return std::string_view(reinterpret_cast<const char*>(head.data()), head.size()) == "PWAD";
        });
    const std::uint64_t written = writer.written();
    if (c.refused) {
      ASSERT_FALSE(read.ok());
      EXPECT_EQ(read.error(), failure::because(*c.refused));
      // Refused at once: no more than a pipe's buffer and two reads past what decided it.
      EXPECT_LE(written, (c.refused == failure::reason::overlimit ? limit : 0) + 256 * 1024);
      continue;
    }
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(*read.value(), std::vector<unsigned char>(c.bytes.begin(), c.bytes.end()));
    EXPECT_LE(read.value()->capacity(), limit + 64 * 1024);
  }
  EXPECT_EQ(readwhole(fromutf8((dir / "missing").string()), limit, 4, nullptr).error(),
            failure::because(failure::reason::cannotopen));
}

}  // namespace
}  // namespace tracewell

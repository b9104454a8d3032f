// PNG writer: round trips through libpng's decoder, chunk layout, and failures that must not damage files.
#include "render/png.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "testlib/harness.h"
#include "testlib/pngdecode.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;
using testkit::decodedpng;
using testkit::decodepng;
using testkit::readfile;
using testkit::tempdir;
using testkit::writefile;

std::unique_ptr<TPixmap> threebytwo() {
  auto p = TPixmap::Create(3, 2);
  const std::int32_t colours[] = {0x11223344, static_cast<std::int32_t>(0x80FF0000u), 0,
                                  -1,         static_cast<std::int32_t>(0xFF000000u), 0x7F010203};
  for (int i = 0; i < 6; ++i) p->WritePixel(i % 3, i / 3, colours[i]);
  return p;
}

text pathtext(const fs::path& p) {
  return fromutf8(p.string());
}

TEST(Png, RoundTripGivesTheBufferBytesAndOnlyTheCriticalChunks) {
  tempdir dir;
  auto p = threebytwo();
  ASSERT_EQ(WritePNG(*p, pathtext(dir / "a.png"), 5), 1);
  const decodedpng d = decodepng(dir / "a.png");
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.width, 3u);
  EXPECT_EQ(d.height, 2u);
  const std::vector<std::uint8_t> want = {0x22, 0x33, 0x44, 0x11, 0xFF, 0, 0, 0x80, 0, 0, 0, 0,
                                          0xFF, 0xFF, 0xFF, 0xFF, 0,    0, 0, 0xFF, 1, 2, 3, 0x7F};
  EXPECT_EQ(d.bytes, want);
  EXPECT_EQ(d.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  ASSERT_EQ(d.ihdr.size(), 13u);
  EXPECT_EQ(d.ihdr.substr(8), std::string("\x08\x06\x00\x00\x00", 5));  // depth 8, RGBA, no interlace
  // Only the folder holds the image; the temporary file is gone.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(Png, LevelIsClampedToZeroThroughNine) {
  tempdir dir;
  auto p = threebytwo();
  // zlib records its level class in the stream header: 0 for levels 0-1, 1 for 2-5, 2 for 6, 3 for 7-9.
  struct {
    int level, flevel;
  } cases[] = {{-5, 0}, {-1, 0}, {0, 0}, {5, 1}, {6, 2}, {9, 3}, {10, 3}, {1000, 3}};
  for (const auto& c : cases) {
    const fs::path f = dir / (std::to_string(c.level) + ".png");
    ASSERT_EQ(WritePNG(*p, pathtext(f), c.level), 1) << c.level;
    const decodedpng d = decodepng(f);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.zlibflevel, c.flevel) << c.level;
  }
}

TEST(Png, ReplacesAnExistingFileWithUsualPermissions) {
  tempdir dir;
  const fs::path f = dir / "out.png";
  writefile(f, std::string(100000, 'x'));
  auto p = threebytwo();
  ASSERT_EQ(WritePNG(*p, pathtext(f), 5), 1);
  EXPECT_TRUE(decodepng(f).ok);
  EXPECT_LT(fs::file_size(f), 1000u);
  const mode_t mask = umask(0);
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(Png, FailuresLeaveNoFileAndExistingFilesUntouched) {
  tempdir dir;
  auto good = threebytwo();
  EXPECT_EQ(WritePNG(*good, pathtext(dir / "missing" / "a.png"), 5), 0);
  EXPECT_FALSE(fs::exists(dir / "missing"));
  EXPECT_EQ(WritePNG(*good, u"", 5), 0);
  // The target is a folder: nothing replaces it.
  fs::create_directory(dir / "folder.png");
  EXPECT_EQ(WritePNG(*good, pathtext(dir / "folder.png"), 5), 0);
  EXPECT_TRUE(fs::is_directory(dir / "folder.png"));

  for (auto [w, h] : {std::pair{0, 4}, {4, 0}, {-2, 3}}) {
    auto empty = TPixmap::Create(w, h);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(WritePNG(*empty, pathtext(dir / "new.png"), 5), 0);
    EXPECT_FALSE(fs::exists(dir / "new.png"));
    writefile(dir / "old.png", "keep me");
    EXPECT_EQ(WritePNG(*empty, pathtext(dir / "old.png"), 5), 0);
    EXPECT_EQ(readfile(dir / "old.png"), "keep me");
  }
  // Only the kept file and the folder remain: no temporary file anywhere.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

// The kind of file at `p` (the link itself, not what it names) and, for a regular file, its bytes.
std::string snapshot(const fs::path& p) {
  struct stat st {};
  if (lstat(p.c_str(), &st) != 0) return "none";
  return std::to_string(st.st_mode & S_IFMT) + (S_ISREG(st.st_mode) ? readfile(p) : "");
}

// Links lead to the file replaced; only regular files the user may write are
// replaced, keeping their mode (and for root their owner); a character device
// is written to; the caller's inputs and every other kind of file stay.
TEST(Png, OnlyTheFileThePathFinallyNamesIsReplacedAndOnlyWhenSafe) {
  tempdir dir;
  auto p = threebytwo();
  const bool root = geteuid() == 0;
  if (!root) std::cout << "not root: the owner and read-only cases check the user's side only\n";
  fs::create_directories(dir / "sub");
  fs::create_directory(dir / "folder");
  for (const char* name : {"sub/real.png", "readonly.png", "private.png", "input.wad"})
    writefile(dir / name, "old");
  fs::create_symlink("sub/real.png", dir / "link.png");
  fs::create_symlink("../link.png", dir / "sub" / "chain.png");
  fs::create_symlink("sub/new.png", dir / "dangling.png");
  fs::create_symlink("loop2", dir / "loop1");
  fs::create_symlink("loop1", dir / "loop2");
  fs::create_hard_link(dir / "input.wad", dir / "alias.png");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  ASSERT_EQ(chmod((dir / "readonly.png").c_str(), 0444), 0);
  ASSERT_EQ(chmod((dir / "private.png").c_str(), 0600), 0);
  ASSERT_EQ(chmod((dir / "sub/real.png").c_str(), 0640), 0);
  if (root) {
    ASSERT_EQ(chown((dir / "private.png").c_str(), 1234, 5678), 0);
  }
  const std::vector<fileid> keep = {*identify(pathtext(dir / "input.wad"))};

  struct {
    const char* path;
    int result;
    const char* image;  // where the image lands; nullptr: nothing may change
    mode_t mode;
  } cases[] = {
      {"link.png", 1, "sub/real.png", 0640},
      {"sub/chain.png", 1, "sub/real.png", 0640},
      {"dangling.png", 1, "sub/new.png", 0},
      {"private.png", 1, "private.png", 0600},
      {"readonly.png", root ? 1 : 0, root ? "readonly.png" : nullptr, 0444},
      {"loop1", 0, nullptr, 0},
      {"folder", 0, nullptr, 0},
      {"fifo", 0, nullptr, 0},
      {"input.wad", 0, nullptr, 0},
      {"alias.png", 0, nullptr, 0},
  };
  for (const auto& c : cases) {
    writefile(dir / "sub/real.png", "old");
    const std::string before = snapshot(dir / c.path);
    EXPECT_EQ(WritePNG(*p, pathtext(dir / c.path), 5, keep), c.result) << c.path;
    if (c.image == nullptr) {
      EXPECT_EQ(snapshot(dir / c.path), before) << c.path;
      continue;
    }
    EXPECT_TRUE(decodepng(dir / c.image).ok) << c.path;
    EXPECT_EQ(fs::is_symlink(dir / c.path), std::string(c.path) != c.image) << c.path;
    struct stat st {};
    ASSERT_EQ(stat((dir / c.image).c_str(), &st), 0);
    if (c.mode != 0) {
      EXPECT_EQ(st.st_mode & 0777, c.mode) << c.path;
    }
    if (root && std::string(c.path) == "private.png") {
      EXPECT_EQ(st.st_uid, 1234u);
      EXPECT_EQ(st.st_gid, 5678u);
    }
  }
  EXPECT_EQ(readfile(dir / "input.wad"), "old");
  EXPECT_EQ(WritePNG(*p, u"/dev/null", 5, keep), 1);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  for (const auto& e : fs::recursive_directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().rfind(".tracewell-", 0), std::string::npos) << e.path();
}

TEST(PngDeathTest, AShortWriteFailsAndKeepsTheOldFile) {
  tempdir dir;
  const fs::path f = dir / "old.png";
  writefile(f, "keep me");
  auto noise = TPixmap::Create(256, 256);
  std::mt19937 rng(7);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) noise->WritePixel(x, y, static_cast<std::int32_t>(rng()));
  }
  // The child may write only 4 KiB per file; the image needs about 256 KiB.
  EXPECT_EXIT(
      {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::exit(WritePNG(*noise, pathtext(f), 5) == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(readfile(f), "keep me");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  // Without the limit the same image is written and decodes to the same bytes.
  ASSERT_EQ(WritePNG(*noise, pathtext(f), 5), 1);
  const decodedpng d = decodepng(f);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(std::memcmp(d.bytes.data(), noise->PixelPtr(0, 0), d.bytes.size()), 0);
}

}  // namespace
}  // namespace tracewell

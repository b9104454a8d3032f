// Output files: which targets are replaced and how, why others are refused, and failures that must not damage
// files.
#include "support/outputfile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "testlib/harness.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;
using testkit::readfile;
using testkit::tempdir;
using testkit::writefile;

text pathtext(const fs::path& p) {
  return fromutf8(p.string());
}

// Why an output failed; `none` for success.
constexpr failure::reason none = failure::reason::unspecified;
failure::reason problemof(const outputstatus& s) {
  return s.ok() ? none : s.error().why;
}

failure::reason put(const fs::path& p, const std::string& bytes, const std::vector<fileid>& keep = {}) {
  outputfile out = outputfile::open(pathtext(p), keep);
  out.write(bytes.data(), bytes.size());
  return problemof(out.commit());
}

std::size_t entries(const fs::path& dir) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(OutputFile, ReplacesOnlyOnCommitWithUsualPermissions) {
  tempdir dir;
  const fs::path f = dir / "out.png";
  writefile(f, std::string(100000, 'x'));
  {
    // Written on one side and committed later: the old file stays until then.
    outputfile out = outputfile::open(pathtext(f));
    out.write("new", 3);
    ASSERT_TRUE(out.finish().ok());
    EXPECT_EQ(readfile(f).size(), 100000u);
    ASSERT_TRUE(out.commit().ok());
  }
  EXPECT_EQ(readfile(f), "new");
  const mode_t mask = umask(0);
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
  {
    // Never committed, or given up by its writer: the file goes, the target stays.
    outputfile dropped = outputfile::open(pathtext(f));
    dropped.write("lost", 4);
    outputfile abandoned = outputfile::open(pathtext(f));
    abandoned.abandon();
    EXPECT_EQ(problemof(abandoned.commit()), failure::reason::nocontent);
  }
  EXPECT_EQ(readfile(f), "new");
  EXPECT_EQ(entries(dir.path()), 1u);
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
TEST(OutputFile, OnlyTheFileThePathFinallyNamesIsReplacedAndOnlyWhenSafe) {
  tempdir dir;
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
  using enum failure::reason;

  struct {
    const char* path;
    failure::reason problem;
    const char* landed;  // where the bytes land; nullptr: nothing may change
    mode_t mode;
  } cases[] = {
      {"link.png", none, "sub/real.png", 0640},
      {"sub/chain.png", none, "sub/real.png", 0640},
      {"dangling.png", none, "sub/new.png", 0},
      {"private.png", none, "private.png", 0600},
      {"readonly.png", root ? none : notwritable, root ? "readonly.png" : nullptr, 0444},
      {"loop1", brokenlink, nullptr, 0},
      {"folder", notregular, nullptr, 0},
      {"fifo", notregular, nullptr, 0},
      {"input.wad", owninput, nullptr, 0},
      {"alias.png", owninput, nullptr, 0},
      {"missing/a.png", cannotcreate, nullptr, 0},
  };
  for (const auto& c : cases) {
    writefile(dir / "sub/real.png", "old");
    const std::string before = snapshot(dir / c.path);
    EXPECT_EQ(put(dir / c.path, "image", keep), c.problem) << c.path;
    if (c.landed == nullptr) {
      EXPECT_EQ(snapshot(dir / c.path), before) << c.path;
      continue;
    }
    EXPECT_EQ(readfile(dir / c.landed), "image") << c.path;
    EXPECT_EQ(fs::is_symlink(dir / c.path), std::string(c.path) != c.landed) << c.path;
    struct stat st {};
    ASSERT_EQ(stat((dir / c.landed).c_str(), &st), 0);
    if (c.mode != 0) {
      EXPECT_EQ(st.st_mode & 0777, c.mode) << c.path;
    }
    if (root && std::string(c.path) == "private.png") {
      EXPECT_EQ(st.st_uid, 1234u);
      EXPECT_EQ(st.st_gid, 5678u);
    }
  }
  EXPECT_FALSE(fs::exists(dir / "missing"));
  EXPECT_EQ(readfile(dir / "input.wad"), "old");
  EXPECT_EQ(problemof(outputfile::open(u"").status()), badpath);
  EXPECT_EQ(problemof(outputfile::open(pathtext(dir / "a") + text(1, u'\0') + u"b").status()), badpath);
  // A character device is written in place, never replaced: a copy of /dev/null made here, since as
  // root a faulty writer would replace the real node.
  if (geteuid() == 0) {
    const fs::path null = dir / "null";
    ASSERT_EQ(mknod(null.c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
    EXPECT_EQ(put(null, "image", keep), none);
    EXPECT_TRUE(fs::is_character_file(null));
  }
  for (const auto& e : fs::recursive_directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().rfind(".tracewell-", 0), std::string::npos) << e.path();
}

// A file-size limit is a failed write (not the end of the process) and keeps the old file.
TEST(OutputFileDeathTest, AShortWriteFailsAndKeepsTheOldFile) {
  tempdir dir;
  const fs::path f = dir / "old.png";
  writefile(f, "keep me");
  EXPECT_EXIT(
      {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::exit(put(f, std::string(std::size_t{1} << 18, 'x')) == failure::reason::writefailed ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(readfile(f), "keep me");
  EXPECT_EQ(entries(dir.path()), 1u);
}

}  // namespace
}  // namespace tracewell

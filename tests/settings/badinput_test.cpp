// Hostile settings files: include cycles and fan-out, deep nesting, unterminated text, odd bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "settings/dictnode.h"
#include "support/debuglog.h"
#include "support/process.h"
#include "testlib/harness.h"

namespace tracewell {
namespace {

using testkit::runscripted;
using testkit::tempdir;
using testkit::writefile;

// Parses `main` in a folder holding `files`. A parse that logs more than
// `budget` messages is cut off (the log hook ends it as an exit request), so
// a runaway include recursion fails the test at once instead of hanging it.
struct parsed {
  std::shared_ptr<dictnode> root;
  testkit::session s;
  bool cutoff = false;
};

parsed parsewith(const std::map<std::string, std::string>& files, std::size_t budget = 1000) {
  tempdir dir;
  for (const auto& [name, bytes] : files) writefile(dir / name, bytes);
  parsed p;
  std::vector<text> log;
  p.s = runscripted("", [&] {
    auto old = setdebuglog([&](const text& m) {
      log.push_back(m);
      if (log.size() > budget) throw processexit{-99};
    });
    p.root = dictnode::parsefile(u((dir / "main.txt").string())).value();
    setdebuglog(old);
  });
  p.s.log = log;
  p.cutoff = p.s.exitstatus == -99;
  return p;
}

std::size_t countnodes(dictnode& n) {
  std::size_t total = 1;
  if (!n.children.root) return total;
  for (const auto& key : n.children.root->nodesinorder()) {
    for (const auto& child : n.getchildren(key->key)) total += countnodes(*child);
  }
  return total;
}

// Each included file is read where it is included, so a file that includes
// itself (or a file above it) twice doubles the work at every level. The
// parse must stay small and say which include it refused.
TEST(SettingsBadInput, IncludeCyclesEndQuickly) {
  struct cycle {
    const char* what;
    std::map<std::string, std::string> files;
    const char* refused;  // an include path that must be refused with message 5
  };
  const std::vector<cycle> cases = {
      {"itself twice", {{"main.txt", "#a[ include: main.txt; include: main.txt; k: v; ]"}}, "main.txt"},
      {"through another file",
       {{"main.txt", "#a[ include: b.txt; ]"}, {"b.txt", "#b[ include: main.txt; include: b.txt; ]"}},
       "b.txt"},
      {"three files",
       {{"main.txt", "#a[ include: a.txt; ]"},
        {"a.txt", "#b[ include: b.txt; include: main.txt; ]"},
        {"b.txt", "#c[ include: a.txt; ]"}},
       "a.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const parsed p = parsewith(c.files);
    ASSERT_FALSE(p.cutoff) << "include recursion ran away (" << p.s.log.size() << "+ messages)";
    ASSERT_TRUE(p.root);
    EXPECT_LE(countnodes(*p.root), 100u);
    bool refused = false;
    const text tail = u("/") + u(c.refused) + u"\".";
    for (const auto& m : p.s.log) {
      refused =
          refused || (m.rfind(u" dictnode: Failed to read child dictnode from included file \"", 0) == 0 &&
                      m.size() >= tail.size() && m.compare(m.size() - tail.size(), tail.size(), tail) == 0);
    }
    EXPECT_TRUE(refused);
  }
}

// No cycle at all, but every file includes the next one twice: 2^40 reads
// without a bound on the files one parse may read.
TEST(SettingsBadInput, IncludeFanOutIsBounded) {
  std::map<std::string, std::string> files;
  const int levels = 40;
  for (int i = 0; i < levels; ++i) {
    // Built with an output stream: g++ 12 warns falsely (-Wrestrict) on "literal" + string here.
    std::ostringstream name, next, body;
    if (i == 0)
      name << "main.txt";
    else
      name << 'f' << i << ".txt";
    if (i + 1 < levels)
      next << 'f' << i + 1 << ".txt";
    else
      next << "missing.txt";
    body << "#n" << i << "[ include: " << next.str() << "; include: " << next.str() << "; ]";
    files[name.str()] = body.str();
  }
  const parsed p = parsewith(files);
  ASSERT_FALSE(p.cutoff) << "include fan-out ran away (" << p.s.log.size() << "+ messages)";
  ASSERT_TRUE(p.root);
  EXPECT_EQ(p.root->name, u"n0");
}

// Included text counts against one budget per parse: a file that would take the
// total past it fails like a missing one (so does a FIFO, which must not block);
// a smaller file that still fits is read.
TEST(SettingsBadInput, IncludedTextIsBounded) {
  tempdir dir;
  const std::int64_t big = dictnode::maxincludedbytes * 5 / 8;  // sparse: no disk, and all of it a comment
  {
    std::ofstream out(dir / "big.txt", std::ios::binary);
    out << "#big[<";
    out.seekp(big - 2);
    out << ">]";
  }
  ASSERT_EQ(std::filesystem::file_size(dir / "big.txt"), static_cast<std::uintmax_t>(big));
  writefile(dir / "small.txt", "#small[ k: v; ]");
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  writefile(
      dir / "main.txt",
      "#main[ include: big.txt; include: big.txt; include: small.txt; include: pipe; include: big.txt; ]");
  std::shared_ptr<dictnode> root;
  const auto s = runscripted("", [&] { root = dictnode::parsefile(u((dir / "main.txt").string())).value(); });
  ASSERT_TRUE(root);
  EXPECT_EQ(root->getchildren(u"big").size(), 1u);
  ASSERT_TRUE(root->getchild(u"small"));
  const text dirpath = u(dir.path().string());
  const text fail = u" dictnode: Failed to read child dictnode from included file \"" + dirpath;
  const text seven = u" dictnode: Encoutered with node: " + root->identity();
  EXPECT_EQ(s.log, (std::vector<text>{fail + u"/big.txt\".", seven, fail + u"/pipe\".", seven,
                                      fail + u"/big.txt\".", seven}));
}

}  // namespace
}  // namespace tracewell

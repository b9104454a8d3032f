// Settings parser and queries: syntax corner cases, includes, diagnostics, dump, hostile input.
#include "settings/dictnode.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/debuglog.h"
#include "testlib/harness.h"

namespace tracewell {
namespace {

using testkit::tempdir;
using testkit::writefile;

const text messages[] = {
    u" dictnode: Encountered unexpected end-of-file while looking for node definition.",
    u" dictnode: Encountered unexpected end-of-file while looking for node opening.",
    u" dictnode: Encountered a node without a name. That could get a mite confusing.",
    u" dictnode: Encountered node definition but there was an error reading the child node.",
    u" dictnode: Failed to read child dictnode from included file \"",
    u" dictnode: Encountered unexpected end-of-file while looking for node closing.",
    u" dictnode: Encoutered with node: ",
};

// The log as message numbers, "4 7" for example; "?" for an unknown text.
std::string codes(const std::vector<text>& log) {
  std::string out;
  for (const text& m : log) {
    std::string code = "?";
    for (int i = 0; i < 7; ++i) {
      const bool prefixed = i == 4 || i == 6;
      if (prefixed ? m.starts_with(messages[i]) : m == messages[i]) code = std::to_string(i + 1);
    }
    if (code == "7") {
      const text id = m.substr(messages[6].size());
      const bool hex = id.size() == 8 && id.find_first_not_of(u"0123456789ABCDEF") == text::npos;
      if (!hex) code = "7?";
    }
    if (!out.empty()) out += ' ';
    out += code;
  }
  return out;
}

struct parsed {
  std::shared_ptr<dictnode> node;
  std::vector<text> log;
};

parsed parsepath(const text& path) {
  parsed p;
  p.log = testkit::runscripted("", [&] { p.node = dictnode::parsefile(path).value(); }).log;
  return p;
}

parsed parsetext(const std::string& bytes) {
  tempdir dir;
  writefile(dir / "settings.txt", bytes);
  return parsepath(fromutf8((dir / "settings.txt").string()));
}

std::string dumped(const std::shared_ptr<dictnode>& node) {
  return node ? toutf8(node->dump(u"")) : "null";
}

TEST(DictNode, SyntaxCornerCases) {
  struct {
    const char* input;
    const char* dump;
    const char* log;
  } cases[] = {
      {"#[]", "#[\n];\n", "3"},
      {"#a[ k: v ]", "#a[\n    k: \"v\";\n];\n", ""},
      {"#a[ k:   \"  x  \"  ; ]", "#a[\n    k: \"  x  \";\n];\n", ""},
      {"#a[ k: x   ; ]", "#a[\n    k: \"x\";\n];\n", ""},
      {"#a[ k: \"\"; j; ]", "#a[\n    k: \"\";\n];\n", ""},
      {"#a[ k: 1; k: 2; ]", "#a[\n    k: \"2\";\n    k: \"1\";\n];\n", ""},
      {"#a[ k: a:b; j: a: b; i: a  : b; ]", "#a[\n    i: \"a  b\";\n    j: \"ab\";\n    k: \"ab\";\n];\n",
       ""},
      {"#a[ k: \"a:b\"; ]", "#a[\n    k: \"a:b\";\n];\n", ""},
      {"#a[ k: \"1<2>3\"; j: 1<2>3; ]", "#a[\n    j: \"13\";\n    k: \"1<2>3\";\n];\n", ""},
      {"#a[ < k: 1; > m: 2; ]", "#a[\n    m: \"2\";\n];\n", ""},
      {"#a[ < 1 < 2 > k: 1; > m: 2; ]", "#a[\n    m: \"2\";\n];\n", ""},
      {"#a<x<y>[>[ k: 1; ]", "#a[\n    k: \"1\";\n];\n", ""},
      {"< < 1 > #b[] > #a[ x: 1; ]", "#a[\n    x: \"1\";\n];\n", ""},
      {"#a[ > k: 1>2; ]", "#a[\n    k: \"12\";\n];\n", ""},
      {"#a[ k: a\"b \"c; j: \"x\" y  ; ]", "#a[\n    j: \"x y\";\n    k: \"ab c\";\n];\n", ""},
      {"#a[ \" k \" : \" v \"; ]", "#a[\n    k: \" v \";\n];\n", ""},
      {"#a[ k: \"#;]<\"; ]", "#a[\n    k: \"#;]<\";\n];\n", ""},
      {"#a[ [k: v; ]", "#a[\n    [k: \"v\";\n];\n", ""},
      // Names keep quotes and other marks but lose comments.
      {" x #\"n\"<c>:;#]\n [ ]", "#\"n\":;#][\n];\n", ""},
      {"\xEF\xBB\xBF#a\xC3\xA4[]", "#a\xC3\x83\xC2\xA4[\n];\n", ""},
      // A statement continues on both sides of a child definition.
      {"#a[ k: 1 #b[ x: y; ] 2; ]", "#a[\n    k: \"1  2\";\n    #b[\n        x: \"y\";\n    ];\n];\n", ""},
      {"#a[ k: v; ] #b[ m: 1; ]", "#a[\n    k: \"v\";\n];\n", ""},
      {"#a[ include: x.txt ]", "#a[\n    include: \"x.txt\";\n];\n", ""},
      // The end of the data.
      {"", "null", "1"},
      {"abc <#a[]", "null", "1"},
      {"#", "null", "2"},
      {"#abc", "null", "2"},
      {"#a[", "#a[\n];\n", "6 7"},
      {"#a[ k: v < ]", "#a[\n    k: \"v\";\n];\n", "6 7"},
      {"#a[ k: \"ab", "#a[\n    k: \"ab\";\n];\n", "6 7"},
      {"#a[ k: v; #b[ m: 1;", "#a[\n    k: \"v\";\n    #b[\n        m: \"1\";\n    ];\n];\n", "6 7 6 7"},
      {"#a[ k: 1; #b", "#a[\n    k: \"1\";\n];\n", "2 4 7"},
  };
  for (const auto& c : cases) {
    const parsed p = parsetext(c.input);
    EXPECT_EQ(dumped(p.node), c.dump) << c.input;
    EXPECT_EQ(codes(p.log), c.log) << c.input;
  }
}

TEST(DictNode, PositionsAndNestedParse) {
  tempdir dir;
  writefile(dir / "s.txt", "xx#ab[ k: v; #c[] ]yy");
  const text path = fromutf8((dir / "s.txt").string());
  const parsed p = parsepath(path);
  ASSERT_NE(p.node, nullptr);
  EXPECT_EQ(p.node->path, path);
  EXPECT_EQ(p.node->nodestartpos, 3);
  EXPECT_EQ(p.node->nodebodypos, 6);
  EXPECT_EQ(p.node->nodebodyend, 19);
  EXPECT_EQ(p.node->getchild(u"c")->nodebodyend, 17);

  // A child read on its own: the caller has consumed the '#'.
  auto stream = bytestream::openread(path);
  stream->seek(14);
  auto child = dictnode::parse(*stream, u"elsewhere/s.txt", 1);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->name, u"c");
  EXPECT_EQ(child->path, u"elsewhere/s.txt");
  EXPECT_EQ(stream->position(), 17);

  EXPECT_EQ(dictnode::parsefile(fromutf8((dir / "missing.txt").string())).value(), nullptr);
}

TEST(DictNode, IncludesResolveFromTheIncludingFile) {
  tempdir dir;
  std::filesystem::create_directories(dir / "d" / "sub");
  writefile(dir / "d" / "main.txt",
            "#main[ k: \"v\"; Include: x.txt; INCLUDE: sub/y.txt; include: \"sub\\z.txt\"; "
            "include: missing.txt; m: 2; #c[] include; ]");
  writefile(dir / "d" / "x.txt", "before #x[ a: 1; ] after");
  writefile(dir / "d" / "sub" / "y.txt", "#y[ include: w.txt; ]");
  writefile(dir / "d" / "sub" / "w.txt", "#w[ b: 2; ]");
  writefile(dir / "d" / "sub" / "z.txt", "#z[]");

  const text base = fromutf8(dir.path().string());
  // The last separator may be '\'.
  const parsed p = parsepath(base + u"/d\\main.txt");
  ASSERT_NE(p.node, nullptr);
  EXPECT_EQ(p.node->getvalue(u"k"), u"v");
  EXPECT_EQ(p.node->getvalue(u"m"), u"2");  // a failed include leaves the rest intact
  EXPECT_EQ(p.node->haschild(u"c"), 1);
  const auto x = p.node->getchild(u"x"), y = p.node->getchild(u"y");
  ASSERT_TRUE(x && y && y->getchild(u"w"));
  EXPECT_EQ(x->getvalue(u"a"), u"1");
  EXPECT_EQ(x->path, base + u"/d/x.txt");
  EXPECT_EQ(y->getchild(u"w")->getvalue(u"b"), u"2");
  EXPECT_EQ(y->getchild(u"w")->path, base + u"/d/sub/w.txt");
  EXPECT_EQ(p.node->haschild(u"z"), 1);
  EXPECT_EQ(p.node->hasvalue(u"include"), 0);
  ASSERT_EQ(codes(p.log), "5 7 5 7");
  EXPECT_EQ(p.log[0], messages[4] + base + u"/d/missing.txt\".");
  EXPECT_EQ(p.log[1], messages[6] + p.node->identity());
  EXPECT_EQ(p.log[2], messages[4] + base + u"/d/\".");

  // A bare file name is relative to the working folder.
  const auto oldcwd = std::filesystem::current_path();
  std::filesystem::current_path(dir / "d");
  const parsed bare = parsepath(u"main.txt");
  std::filesystem::current_path(oldcwd);
  ASSERT_TRUE(bare.node && bare.node->getchild(u"x") && bare.node->getchild(u"y")->getchild(u"w"));
  EXPECT_EQ(bare.node->getchild(u"x")->path, u"x.txt");
  EXPECT_EQ(bare.node->getchild(u"y")->getchild(u"w")->path, u"sub/w.txt");
}

TEST(DictNode, IncludeCyclesAndDeepChainsAreRefused) {
  tempdir dir;
  writefile(dir / "self.txt", "#s[ include: ./self.txt; v: 1; ]");
  const parsed cycle = parsepath(fromutf8((dir / "self.txt").string()));
  ASSERT_NE(cycle.node, nullptr);
  EXPECT_EQ(codes(cycle.log), "5 7");
  EXPECT_EQ(cycle.node->getvalue(u"v"), u"1");
  EXPECT_EQ(cycle.node->haschild(u"s"), 0);

  // A chain of distinct files stops at the depth limit; each file keeps the rest of its body.
  for (int i = 0; i < 40; ++i) {
    std::string name = "f", body = "#f[ include: f";
    name += std::to_string(i) + ".txt";
    body += std::to_string(i + 1) + ".txt; v: " + std::to_string(i) + "; ]";
    writefile(dir / name, body);
  }
  const parsed chain = parsepath(fromutf8((dir / "f0.txt").string()));
  EXPECT_EQ(codes(chain.log), "5 7");
  std::int32_t levels = 0;
  for (auto n = chain.node; n; n = n->getchild(u"f")) EXPECT_EQ(n->getvalue(u"v"), inttotext(levels++));
  EXPECT_EQ(levels, dictnode::maxincludes + 1);
}

TEST(DictNode, HostileInputEndsWithoutACrash) {
  auto depth = [](std::shared_ptr<dictnode> n) {
    std::int32_t d = 0;
    while ((n = n->getchild(u"b"))) ++d;
    return d;
  };
  auto nested = [](int levels) {
    std::string s = "#a[";
    for (int i = 0; i < levels; ++i) s += "#b[";
    return s + std::string(levels + 1, ']') + " #z[]";
  };
  const parsed limit = parsetext(nested(dictnode::maxnesting));
  EXPECT_EQ(codes(limit.log), "");
  EXPECT_EQ(depth(limit.node), dictnode::maxnesting);

  const parsed deep = parsetext(nested(10000));
  EXPECT_EQ(codes(deep.log), "4 7");
  ASSERT_NE(deep.node, nullptr);
  EXPECT_EQ(depth(deep.node), dictnode::maxnesting);

  const std::string mb(1 << 20, '#');
  EXPECT_EQ(codes(parsetext(mb).log), "2");
  EXPECT_EQ(codes(parsetext(std::string(1 << 20, '<')).log), "1");
  EXPECT_EQ(codes(parsetext("#a[" + std::string(1 << 20, '<')).log), "6 7");
  EXPECT_EQ(codes(parsetext("#a[" + mb).log), "2 4 7");
  EXPECT_EQ(codes(parsetext("#a[ k: \"" + mb).log), "6 7");

  // A deep tree built by hand is destroyed without deep recursion.
  auto top = dictnode::New();
  auto at = top;
  for (int i = 0; i < 100000; ++i) {
    auto next = dictnode::New();
    at->children.insert(u"b", next, -1);
    at = next;
  }
  at.reset();
  top.reset();
}

TEST(DictNode, QueriesGiveTheMostRecentEntryFirst) {
  const parsed p = parsetext(
      "#s[ width: 10; width: 20; empty: \"\"; #color_scheme[ n: 1; ] #color_scheme[ n: 2; ] "
      "#color_scheme[ n: 3; ] ]");
  auto& s = *p.node;
  // Repeated lookups in any order (each one splays) give the same answers.
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(s.getvalue(u"width"), u"20");
    EXPECT_EQ(s.getvalues(u"width"), (std::list<text>{u"20", u"10"}));
    EXPECT_EQ(s.hasvalue(u"Width"), 0);
    EXPECT_EQ(s.hasvalue(u"empty"), 1);
    EXPECT_EQ(s.getvalue(u"empty"), u"");
    EXPECT_EQ(s.getvalue(u"missing"), u"");
    EXPECT_EQ(s.getchild(u"missing"), nullptr);
    EXPECT_TRUE(s.getvalues(u"missing").empty());
    EXPECT_TRUE(s.getchildren(u"missing").empty());
    std::string order;
    for (const auto& c : s.getchildren(u"color_scheme")) order += toutf8(c->getvalue(u"n"));
    EXPECT_EQ(order, "321");
    EXPECT_EQ(s.getchild(u"color_scheme")->getvalue(u"n"), u"3");
  }
}

TEST(DictNode, DumpReadsBackWithRepeatsReversed) {
  const parsed p = parsetext("#n[ b: 2; a: 1; #c[ x: y; ] ]");
  EXPECT_EQ(toutf8(p.node->dump(u"")),
            "#n[\n    a: \"1\";\n    b: \"2\";\n    #c[\n        x: \"y\";\n    ];\n];\n");
  EXPECT_EQ(toutf8(p.node->getchild(u"c")->dump(u"\t")), "\t#c[\n\t    x: \"y\";\n\t];\n");

  const parsed first = parsetext("#r[ k: 1; k: \" 2 \"; #c[ n: a; ] #c[ n: b; ] ]");
  const parsed again = parsetext(toutf8(first.node->dump(u"")));
  ASSERT_NE(again.node, nullptr);
  EXPECT_EQ(again.node->getvalues(u"k"), (std::list<text>{u"1", u" 2 "}));
  std::string order;
  for (const auto& c : again.node->getchildren(u"c")) order += toutf8(c->getvalue(u"n"));
  EXPECT_EQ(order, "ab");
}

}  // namespace
}  // namespace tracewell

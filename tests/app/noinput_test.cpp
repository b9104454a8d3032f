// Inputs that are no WAD, however short or endless, refused alike by every mode of the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "testlib/harness.h"
#include "testlib/toolfolder.h"

namespace tracewell {
namespace {

namespace fs = std::filesystem;

std::string replaced(std::string s, const std::string& what, const std::string& with) {
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
    s.replace(at, what.size(), with);
  return s;
}

TEST(NoWadInputs, ShortAndEndlessInputsAreRefusedAsAnyOtherNonWad) {
  testkit::tempdir root;
  const fs::path tool = root / "tool";
  testkit::maketoolfolder(tool, TRACEWELL_EXE);
  testkit::writefile(tool / "junk.txt", "not a WAD");  // what the others must be refused like
  testkit::writefile(tool / "empty.wad", "");
  testkit::writefile(tool / "pwa.wad", "PWA");
  const std::string parsing = "Error parsing WAD file.\n";
  const struct {
    std::vector<std::string> args;  // IN stands for the input
    int status;
    std::string err;
    bool pipes;  // the mode reads a pipe
  } modes[] = {
      {{"--dump", "IN"}, 1, "tracewell: IN: " + parsing, true},
      {{"--diff", "IN", "test.wad"}, 1, "tracewell: IN: " + parsing, true},
      {{"--diff", "test.wad", "IN", "-o", "d-%.png"}, 1, "tracewell: IN: " + parsing, true},
      {{"--list", "IN"}, 1, "tracewell: " + parsing, false},
      {{"IN", "-m", "MAP01"}, 1, "tracewell: " + parsing, false},
      {{"--all", "--dest", "d", "IN"}, 2, "tracewell: IN: " + parsing, false},
  };
  const struct {
    std::string name;
    std::optional<std::string> fifo;  // the bytes a FIFO gives, else a file
    bool zeros = false;               // then zero bytes for as long as it is read
  } inputs[] = {
      {"junk.txt", std::nullopt, false}, {"empty.wad", std::nullopt, false},
      {"pwa.wad", std::nullopt, false},  {"zeros", "", true},
      {"pwa-pipe", "PWA", false},        {"empty-pipe", "", false},
  };
  for (const auto& m : modes) {
    for (const auto& in : inputs) {
      if (in.fifo && !m.pipes) continue;
      std::vector<std::string> args;
      for (const std::string& a : m.args) args.push_back(a == "IN" ? in.name : a);
      SCOPED_TRACE(testing::PrintToString(args));
      std::optional<testkit::fifowriter> writer;
      if (in.fifo) writer.emplace(tool / in.name, *in.fifo, in.zeros);
      const testkit::processresult r = testkit::runprocess((tool / "tracewell").string(), args, "", tool);
      EXPECT_EQ(r.status, m.status);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, replaced(m.err, "IN", in.name));
      // An endless pipe is refused by its first bytes, not read on to the limit.
      if (writer) {
        EXPECT_LT(writer->written(), std::uint64_t{16} << 20);
      }
      if (in.fifo) fs::remove(tool / in.name);
    }
  }
  // The dialogue keeps its stream failure for a file too short to be anything.
  const testkit::processresult asked =
      testkit::runprocess((tool / "tracewell").string(), {}, "pwa.wad\n", tool);
  EXPECT_EQ(asked.status, 255);
  EXPECT_EQ(asked.err, "Error reading from stream");
}

}  // namespace
}  // namespace tracewell

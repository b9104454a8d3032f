// Fuzz target: two arbitrary inputs as the old and new versions of a WAD, compared with --diff (a
// picture, an SVG and records), and the first printed with --dump, both through the whole command line.
//
// The input is OLD, the separator "=NEW=WAD", then NEW; without the separator both versions are the
// same bytes, and then every map that can be read in both must show no change.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/commandline.h"
#include "app/entry.h"
#include "fuzzhooks.h"
#include "support/process.h"
#include "testlib/harness.h"

using namespace tracewell;
namespace fs = std::filesystem;

namespace {

const char* const settingsfile = R"(#settings[
    default_map_format: Auto;
    map_detection: content;
    default_width: 32;
    default_height: 24;
    default_margin: 1;
    default_scheme: Plain;
    default_output_path: "%.png";
    #color_scheme[ scheme_name: Plain; background_color: $FF000000; impassable_color: $FFFF0000;
                   impassable_order: 1; thing_other_color: $FF00FF00; ]
]
)";

constexpr std::string_view separator = "=NEW=WAD";

// Runs the command line `args` with standard output kept; checks that it ended with a status of its own.
std::string run(const std::vector<std::string>& args) {
  auto term = std::make_shared<testkit::scriptedterminal>("");
  const auto status =
      fuzz::runwith(term, [&] { exitprocess(settle(runcommandline(commandline::parse(args), text()))); });
  if (!status) fuzz::broken("the command line returned without an exit request");
  // The process sees the low byte: a damaged input ends as 255, whether asked for as -1 or as 255.
  const int code = *status & 0xFF;
  if (code != 0 && code != 1 && code != 2 && code != 255)
    fuzz::broken("unexpected exit status " + std::to_string(*status));
  return term->out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find(separator);
  const bool same = cut == std::string_view::npos;
  const std::string_view older = input.substr(0, cut);
  const std::string_view newer = same ? older : input.substr(cut + separator.size());

  fuzz::inworkfolder here;
  const fs::path root = fuzz::workfolder();
  fuzz::clearfolder(root, {});
  if (chdir(root.c_str()) != 0) fuzz::broken("cannot enter the work folder");
  setenv("XDG_CONFIG_HOME", (root / "no-config").c_str(), 1);  // no settings of the user's own
  fuzz::writefile(root / "settings.txt", settingsfile);
  fuzz::writefile(root / "old.wad", older);
  fuzz::writefile(root / "new.wad", newer);

  const std::string diffed =
      run({"--diff", "old.wad", "new.wad", "-o", "%-diff.png", "--extra", "svg", "--manifest", "diff.jsonl"});
  if (same) {
    std::istringstream lines(diffed);
    for (std::string line; std::getline(lines, line);) {
      if (!line.ends_with(": no changes")) fuzz::broken("a version differs from itself: " + line);
    }
  }
  run({"--dump", "old.wad"});
  return 0;
}

// Fuzz target: arbitrary argument vectors for the command line's batch options, run in-process over
// inputs named as the arguments name them.
//
// The input is the argument vector, its arguments separated by NUL bytes. Every input it names that
// does not exist (and would lie in the work folder) is made: a small WAD whose maps have hostile
// names (".", "..", "%", "*", an empty one, "A/B"). The run starts three folders below the work
// folder, so a file that leads out of --dest by up to three levels is still seen. Checked: the
// folders the inputs get, the exit status, and that every file a run with --dest makes lies in the
// folder of one of its inputs below DIR (the manifest aside).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/batchplan.h"
#include "app/commandline.h"
#include "app/entry.h"
#include "fuzzhooks.h"
#include "support/path.h"
#include "support/process.h"
#include "testlib/wadbuilder.h"

using namespace tracewell;
namespace fs = std::filesystem;

namespace {

const char* const settingsfile = R"(#settings[
    default_map_format: Auto;
    map_detection: content;
    default_width: 16;
    default_height: 16;
    default_margin: 1;
    default_scheme: Plain;
    default_input_path: small.wad;
    default_output_path: "%.png";
    #color_scheme[ scheme_name: Plain; background_color: $FF000000; impassable_color: $FFFF0000;
                   impassable_order: 1; thing_other_color: $FF00FF00; ]
]
)";

const std::string& fixturewad() {
  static const std::string bytes = [] {
    testkit::wadbuilder b;
    for (const char* name : {"MAP01", ".", "..", "%", "*", "", "A/B", "%%", "-x"})
      b.addmap(name, testkit::squaremap());
    return b.bytes();
  }();
  return bytes;
}

// `path` made absolute from the working folder and without "." and ".." parts; nothing resolved.
fs::path plain(const fs::path& path) {
  return (fs::current_path() / path).lexically_normal();
}

bool within(const fs::path& path, const fs::path& folder) {
  const std::string p = path.string(), f = folder.string();
  return p.size() > f.size() && p.compare(0, f.size(), f) == 0 && (f.back() == '/' || p[f.size()] == '/');
}

std::set<fs::path> filesbelow(const fs::path& root) {
  std::set<fs::path> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_regular_file(ec)) files.insert(it->path());
  }
  return files;
}

// The folders inputfolders gives: one per input, distinct, each the input's stem or "STEM-k".
void checkfolders(const std::vector<text>& inputs) {
  const std::vector<text> folders = inputfolders(inputs);
  if (folders.size() != inputs.size()) fuzz::broken("a folder per input");
  std::set<text> seen;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const text& f = folders[i];
    const text stem = inputstem(inputs[i]);
    if (!seen.insert(f).second) fuzz::broken("two inputs share a folder");
    if (f.empty() || f == u"." || f == u".." || f.find_first_of(u"/\\") != text::npos)
      fuzz::broken("a folder name that is no folder of its own");
    if (f != stem && (f.rfind(stem + u"-", 0) != 0 || f.size() == stem.size() + 1 ||
                      f.find_first_not_of(u"0123456789", stem.size() + 1) != text::npos))
      fuzz::broken("a folder that is neither the stem nor STEM-k");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args;
  for (std::size_t at = 0; at <= input.size();) {
    const std::size_t cut = std::min(input.find('\0', at), input.size());
    args.emplace_back(input.substr(at, cut - at));
    at = cut + 1;
  }
  if (args.size() > 24) return 0;

  fuzz::inworkfolder here;
  const fs::path root = fuzz::workfolder();
  fuzz::clearfolder(root, {});
  const fs::path start = root / "r" / "s" / "t";
  fs::create_directories(start);
  if (chdir(start.c_str()) != 0) fuzz::broken("cannot enter the run's folder");
  setenv("XDG_CONFIG_HOME", (root / "no-config").c_str(), 1);  // no settings of the user's own
  fuzz::writefile(start / "settings.txt", settingsfile);
  fuzz::writefile(start / "small.wad", fixturewad());

  commandline cl = commandline::parse(args);
  // Images are kept small, as the dialogue target keeps them.
  const std::int64_t area = std::llabs(cl.width.value_or(16)) * std::llabs(cl.height.value_or(16));
  if (cl.scripted && cl.error.empty() && area > 65536) {
    args.emplace_back("--height");
    args.emplace_back("0");
    cl = commandline::parse(args);
  }
  checkfolders(cl.inputs);

  // The inputs named, made where they would lie in the work folder.
  std::size_t made = 0;
  for (const text& name : cl.inputs) {
    std::error_code ec;
    const fs::path path = plain(nativepath(name));
    if (made == 8 || !within(path, root) || fs::exists(fs::symlink_status(path, ec))) continue;
    fs::create_directories(path.parent_path(), ec);
    if (!ec && !fs::is_directory(path, ec)) {
      fuzz::writefile(path, fixturewad());
      ++made;
    }
  }

  const std::set<fs::path> before = filesbelow(root);
  const auto status = fuzz::runquiet("", [&] { exitprocess(settle(runcommandline(cl, text()))); });
  if (!status) fuzz::broken("the command line returned without an exit request");
  // The process sees the low byte: a damaged input ends as 255, whether asked for as -1 or as 255.
  const int code = *status & 0xFF;
  if (code != 0 && code != 1 && code != 2 && code != 255)
    fuzz::broken("unexpected exit status " + std::to_string(*status));

  if (cl.error.empty() && cl.dest) {
    const fs::path dest = plain(nativepath(*cl.dest));
    const std::optional<fs::path> manifest =
        cl.manifest && *cl.manifest != u"-" ? std::optional(plain(nativepath(*cl.manifest))) : std::nullopt;
    std::set<fs::path> folders;
    for (const text& f : inputfolders(cl.inputs.empty() ? std::vector<text>{u"small.wad"} : cl.inputs))
      folders.insert(dest / nativepath(f));
    for (const fs::path& file : filesbelow(root)) {
      if (before.contains(file) || file == manifest) continue;
      bool placed = false;
      for (const fs::path& f : folders) placed = placed || within(file, f);
      if (!placed) fuzz::broken("a file outside the folders of --dest: " + file.string());
    }
  }
  return 0;
}

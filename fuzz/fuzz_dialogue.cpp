// Fuzz target: arbitrary text as standard input of a whole session, in-process, against small WADs.
//
// Each input runs the program from its start (settings.txt, banner, cycles) in the work folder,
// which holds the fixture below; PNG files land there and are cleared before the next input. An
// input whose first line starts with "@" passes the rest of that line as the command-line WAD.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/commandline.h"
#include "app/entry.h"
#include "app/numbers.h"
#include "fuzzhooks.h"
#include "testlib/wadbuilder.h"

using namespace tracewell;
using namespace tracewell::testkit;

namespace {

const char* const settingsfile = R"(#settings[
    default_map_format: Doom;
    default_width: 64;
    default_height: 48;
    default_margin: 2;
    default_scheme: classic;
    default_input_path: small.wad;
    default_output_path: "out/%-*.png";
    #color_scheme[
        scheme_name: Classic;
        background_color: $FF000000;
        passable_floor_change_color: -4424628; passable_floor_change_order: 1;
        passable_ceil_change_color: -197632; passable_ceil_change_order: 2;
        passable_both_change_color: -4424628; passable_both_change_order: 1;
        passable_action_color: -197632; passable_action_order: 2;
        impassable_color: -262144; impassable_order: 3;
        impassable_floor_change_color: -262144; impassable_floor_change_order: 3;
        impassable_ceil_change_color: -262144; impassable_ceil_change_order: 3;
        impassable_both_change_color: -262144; impassable_both_change_order: 3;
        impassable_action_color: -197632; impassable_action_order: 2;
    ]
    #color_scheme[
        scheme_name: Glass; action_is_special: 1; background_color: 0;
        passable_color: $40FFFFFF; passable_order: 1;
        passable_action_color: $80FFFF00; passable_action_order: 9;
        impassable_color: $80FF0000; impassable_order: 5;
        impassable_action_color: $01FFFFFF; impassable_action_order: 5;
    ]
    #color_scheme[ ]
    #color_scheme[ scheme_name: CLASSIC; background_color: -1; ]
]
)";

// Two rooms joined by lines of every category.
mapdata rooms(std::int32_t format) {
  mapdata m;
  m.format = format;
  m.vertexes = {{0, 0}, {0, 128}, {128, 128}, {128, 0}, {256, 128}, {256, 0}};
  m.sectors = {rawsector{0, 128}, rawsector{16, 128}, rawsector{0, 96}};
  for (std::int32_t s : {0, 0, 0, 0, 1, 1, 2, 2}) m.sidedefs.push_back(rawsidedef{0, 0, "-", "-", "-", s});
  // Start, end, flags, special, tag, right side, left side.
  auto line = [&m](rawlinedef l) { m.linedefs.push_back(l); };
  line({0, 1, 1, 0, 0, 0, -1});
  line({1, 2, 1, 0, 0, 1, -1});
  line({3, 0, 1, 9, 0, 2, -1});
  line({2, 3, 4, 0, 0, 3, 4});
  line({2, 4, 1, 0, 0, 5, -1});
  line({4, 5, 4, 1, 0, 6, 7});
  return m;
}

struct fixture {
  std::string small, hexen, broken;
};

const fixture& files() {
  static const fixture f = [] {
    fixture made;
    wadbuilder small;
    small.addlump("MAPINFO", "map MAP01 \"Rooms\"");
    small.addmap("MAP01", rooms(wad::DOOM));
    small.addmap("E1M1", squaremap());
    small.addmap("MAP02", squaremap(wad::DOOM, 1000));
    mapdata bad = squaremap();
    bad.linedefs[3].endvertex = 7;
    small.addmap("MAP03", bad);
    small.addmap("map04", rooms(wad::DOOM));
    made.small = small.bytes();
    wadbuilder hexen("IWAD");
    hexen.addmap("MAP01", rooms(wad::HEXEN));
    made.hexen = hexen.bytes();
    made.broken = made.small.substr(0, made.small.size() - 20);
    return made;
  }();
  return f;
}

// Feeds the input lines. Images are kept to at most a million pixels: when the
// width and height that the program will take multiply to more, the height
// answer becomes 0 (an image without pixels), so that a typed 30000 x 30000
// measures nothing but the allocator.
class sessionterminal : public terminal {
 public:
  explicit sessionterminal(std::string_view input) : input_(input) {}

  void write(std::string_view bytes) override {
    for (char c : bytes) {
      if (c == '\n') {
        promptline_ = std::move(previous_);
        previous_ = std::move(current_);
        current_.clear();
      } else if (c != '\r') {
        current_ += c;
      }
    }
  }
  void writeerror(std::string_view) override {}

  std::optional<std::string> readrawline() override {
    if (pos_ >= input_.size()) return std::nullopt;
    const std::size_t nl = input_.find('\n', pos_);
    const std::size_t end = nl == std::string_view::npos ? input_.size() : nl;
    std::string line(input_.substr(pos_, end - pos_));
    pos_ = nl == std::string_view::npos ? input_.size() : nl + 1;
    current_.clear();  // the answer prompt "> ": the typed line follows it, not a new line
    // promptline_ is the question, previous_ the "(Leave blank for ...)" line after it.
    if (promptline_ == "Input automap image width?") {
      width_ = taken(line);
    } else if (promptline_ == "Input automap image height?") {
      const std::int64_t area = std::llabs(width_) * std::llabs(taken(line));
      if (area > 1000000) line = "0";
    }
    return line;
  }

 private:
  // The number the program makes of `line`, or of the offered default when it is empty.
  std::int64_t taken(const std::string& line) const {
    std::string answer;
    for (char c : line) {
      if (c != '\r') answer += c;
    }
    if (answer.empty()) {
      const std::string head = "(Leave blank for \"";
      if (previous_.rfind(head, 0) == 0 && previous_.size() >= head.size() + 2) {
        answer = previous_.substr(head.size(), previous_.size() - head.size() - 2);
      }
    }
    return tonumber(fromutf8(answer));
  }

  std::string_view input_;
  std::size_t pos_ = 0;
  std::string current_, previous_, promptline_;  // the last lines printed, newest first
  std::int64_t width_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const fixture& f = files();
  fuzz::inworkfolder here;
  const auto& dir = fuzz::workfolder();
  fuzz::clearfolder(dir, {});
  std::filesystem::create_directory(dir / "out");
  fuzz::writefile(dir / "settings.txt", settingsfile);
  fuzz::writefile(dir / "small.wad", f.small);
  fuzz::writefile(dir / "hexen.wad", f.hexen);
  fuzz::writefile(dir / "broken.wad", f.broken);

  // A first line "@ARGS" holds the command line, its arguments split at spaces:
  // one WAD for the dialogue, or options for the command-line run.
  std::string_view lines = input;
  std::vector<std::string> arguments = {"tracewell"};
  if (!input.empty() && input[0] == '@') {
    const std::size_t nl = input.find('\n');
    const std::string_view first =
        input.substr(1, nl == std::string_view::npos ? std::string_view::npos : nl - 1);
    std::size_t at = 0;
    while (at <= first.size()) {
      const std::size_t space = std::min(first.find(' ', at), first.size());
      arguments.emplace_back(first.substr(at, space - at));
      at = space + 1;
    }
    lines = nl == std::string_view::npos ? std::string_view() : input.substr(nl + 1);
    // Options keep images small as the answers do: past a million pixels the
    // height becomes 0 (the later of repeated size options wins).
    const commandline cl = commandline::parse({arguments.begin() + 1, arguments.end()});
    const std::int64_t area = std::llabs(cl.width.value_or(64)) * std::llabs(cl.height.value_or(48));
    if (cl.scripted && cl.error.empty() && area > 1000000) {
      arguments.emplace_back("--height");
      arguments.emplace_back("0");
    }
  }
  std::vector<const char*> argv;
  for (const std::string& a : arguments) argv.push_back(a.c_str());
  const auto status = fuzz::runwith(std::make_shared<sessionterminal>(lines),
                                    [&] { runtool(static_cast<int>(argv.size()), argv.data()); });
  // The program ends only by asking to: end of input, a fatal stop, a stream failure.
  if (!status) fuzz::broken("the session returned without an exit request");
  // The process sees the low byte: a damaged input ends as 255, whether asked for as -1 or as 255.
  const int code = *status & 0xFF;
  if (code != 0 && code != 1 && code != 2 && code != 255)
    fuzz::broken("unexpected exit status " + std::to_string(*status));
  return 0;
}

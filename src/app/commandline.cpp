// The command line: a WAD for the dialogue, or options that draw maps without one.
#include "app/commandline.h"

#include <getopt.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "app/batchplan.h"
#include "app/numbers.h"

namespace tracewell {

namespace {

// The refusal of a value the option cannot take, naming the option as typed.
text invalidvalue(const text& value, const text& typed) {
  return (u"invalid value '" + value).append(u"' for ").append(typed);
}

// A side of an image size: refused when the number reading takes no digit from it.
text takeside(std::optional<std::int32_t>& side, const text& part, const text& value, const text& typed) {
  const numberread n = readnumber(part);
  if (!n.digits) return invalidvalue(value, typed);
  side = n.value;
  return {};
}

text takesize(commandline& cl, const text& value, const text& typed) {
  const std::size_t x = value.find_first_of(u"xX");
  if (x == text::npos) return u"invalid size \"" + value + u"\" (expected WxH)";
  const text refused = takeside(cl.width, value.substr(0, x), value, typed);
  return refused.empty() ? takeside(cl.height, value.substr(x + 1), value, typed) : refused;
}

text takedetection(commandline& cl, const text& value, const text& typed) {
  if (lower(value) == u"names") {
    cl.detection = mapdetection::names;
  } else if (lower(value) == u"content") {
    cl.detection = mapdetection::content;
  } else {
    return invalidvalue(value, typed);
  }
  return {};
}

// A comma list; an unknown word refuses the line, naming the kinds.
text takeextra(commandline& cl, const text& value, const text& typed) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(u',', start);
    const std::optional<filekind> k =
        kindofword(value.substr(start, comma == text::npos ? text::npos : comma - start));
    if (!k) return invalidvalue(value, typed).append(u" (kinds: ").append(kindwords()).append(u")");
    cl.extra.push_back(*k);
    if (comma == text::npos) return {};
    start = comma + 1;
  }
}

text takemaxmaps(commandline& cl, const text& value, const text& typed) {
  const numberread n = readnumber(value);
  if (!n.digits || n.value < 0) return invalidvalue(value, typed);
  cl.maxmaps = n.value;
  return {};
}

text takepng(commandline& cl, const text& value, const text& typed) {
  cl.png = findpngencoding(value);
  if (cl.png) return {};
  text why = invalidvalue(value, typed);
  for (std::size_t i = 0; i < std::size(pngencodingnames); ++i)
    why.append(i == 0 ? u" (" : u" or ").append(pngencodingnames[i].word);
  return why.append(u")");
}

text takecheckformat(commandline& cl, const text& value, const text& typed) {
  if (lower(value) == u"text") {
    cl.checkformat = findingformat::text;
  } else if (lower(value) == u"github") {
    cl.checkformat = findingformat::github;
  } else {
    return invalidvalue(value, typed).append(u" (text or github)");
  }
  return {};
}

// Takes an option's value (empty for one that takes none) into its field of
// `cl`: "" when taken, else the refusal, naming the option as `typed`.
using optiontaker = text (*)(commandline& cl, const text& value, const text& typed);

// One option of the command line: its short form (0 for none), its long
// form, the name of its value in the usage text (null when it takes none),
// its help line and what it sets. The getopt tables and the usage text derive
// from it.
struct optionrow {
  char letter;
  const char* name;
  const char* value;
  const char* help;
  optiontaker take;
};

// An option whose value is taken as it is.
template <auto field>
text takevalue(commandline& cl, const text& value, const text&) {
  cl.*field = value;
  return {};
}

// An option that takes no value and sets a flag.
template <auto field>
text setflag(commandline& cl, const text&, const text&) {
  cl.*field = true;
  return {};
}

text takemap(commandline& cl, const text& value, const text&) {
  cl.maps.push_back(value);
  return {};
}

text takeall(commandline& cl, const text&, const text&) {
  cl.maps.push_back(u"ALL");
  return {};
}

text takemargin(commandline& cl, const text& value, const text&) {
  cl.margin = tonumber(value);
  return {};
}

text takewidth(commandline& cl, const text& value, const text& typed) {
  return takeside(cl.width, value, value, typed);
}

text takeheight(commandline& cl, const text& value, const text& typed) {
  return takeside(cl.height, value, value, typed);
}

constexpr optionrow optionrows[] = {
    {'m', "map", "NAME", "draw this map; repeat for more; ALL draws every map", takemap},
    {'a', "all", nullptr, "draw every map (same as --map ALL)", takeall},
    {'f', "format", "FORMAT", "Doom, Hexen, ZDoom or Auto (each map in its own layout)",
     takevalue<&commandline::format>},
    {0, "detect", "RULE", "names: entries named MAP...; content: any name with map lumps (E1M1)",
     takedetection},
    {'s', "size", "WxH", "image width and height in pixels", takesize},
    {0, "width", "N", "image width", takewidth},
    {0, "height", "N", "image height", takeheight},
    {'M', "margin", "N", "margin in pixels", takemargin},
    {'c', "scheme", "NAME", "colour scheme from the settings file", takevalue<&commandline::scheme>},
    {'o', "output", "PATTERN", "output path; % becomes the map name, * the date and time",
     takevalue<&commandline::output>},
    {0, "extra", "KINDS", "also write each map as these kinds, a comma list of:", takeextra},
    {'d', "dest", "DIR", "draw each input into DIR/NAME/ (every map unless --map)",
     takevalue<&commandline::dest>},
    {0, "manifest", "FILE", "write a JSON line per map to FILE (- for standard output)",
     takevalue<&commandline::manifest>},
    {0, "gallery", nullptr, "write DIR/index.html, a page of every input and map drawn",
     setflag<&commandline::gallery>},
    {0, "skip-existing", nullptr, "leave images newer than their input as they are",
     setflag<&commandline::skipexisting>},
    {0, "max-maps", "N", "refuse an input that lists more than N maps", takemaxmaps},
    {0, "png", "ENCODING", "standard: 8-bit RGBA as always; compact: smaller, faster, same pixels", takepng},
    {0, "diff", nullptr, "draw what changed from the first input (OLD) to the second (NEW)",
     setflag<&commandline::diff>},
    {0, "crop", nullptr, "with --diff: fit the image to the changes", setflag<&commandline::crop>},
    {0, "dump", "WAD", "print each map's lines and things as text that renumbering leaves alone",
     takevalue<&commandline::dump>},
    {0, "check", nullptr, "check the maps of each INPUT (lock without key, ...), a line per finding",
     setflag<&commandline::check>},
    {0, "check-format", "FORMAT", "text: a line per finding; github: workflow commands for CI",
     takecheckformat},
    {0, "settings", "FILE", "settings file to use instead of the usual one (below)",
     takevalue<&commandline::settings>},
    {'l', "list", nullptr, "print the maps of WAD, one per line, and draw nothing",
     setflag<&commandline::list>},
    {'h', "help", nullptr, "print this help and exit", setflag<&commandline::help>},
    {'V', "version", nullptr, "print the version and exit", setflag<&commandline::version>},
};
constexpr std::size_t optioncount = std::size(optionrows);

// The code getopt_long gives a row: its letter, or past every character code.
int optioncode(std::size_t row) {
  return optionrows[row].letter != 0 ? optionrows[row].letter : 256 + static_cast<int>(row);
}

// The long form and its value name take this many columns before the help line.
constexpr std::size_t helpcolumn = 18;

// The option getopt_long refused, as the user wrote it: a long option from
// its argument (without any "=value"), a short one from its letter.
std::string offending(char* const* argv, int next, int code, bool missingvalue) {
  const std::string last = next > 0 ? argv[next - 1] : "";
  const bool longform = last.rfind("--", 0) == 0;
  if (code > 0 && code < 256 && !(missingvalue && longform))
    return std::string("-") + static_cast<char>(code);
  return longform ? last.substr(0, last.find('=')) : last;
}

// The long options that `typed` ("--s") abbreviates, each as " '--size'",
// when there is more than one; "" otherwise.
text longcandidates(const std::string& typed) {
  if (typed.rfind("--", 0) != 0) return {};
  const std::string prefix = typed.substr(2);
  text found;
  std::size_t count = 0;
  for (const optionrow& o : optionrows) {
    if (std::string(o.name).rfind(prefix, 0) != 0) continue;
    found += u" '--" + fromutf8(o.name) + u"'";
    ++count;
  }
  return count > 1 ? found : text();
}

// The option whose value getopt_long just returned, as the user wrote it:
// the argument holding the value when it is attached ("--width=5", "-s5"),
// else the one before it.
text typedoption(char* const* argv, int next, int code) {
  const char* last = argv[next - 1];
  const bool attached = optarg > last && optarg <= last + std::char_traits<char>::length(last);
  const std::string word = attached || next < 2 ? last : argv[next - 2];
  if (word.rfind("--", 0) == 0) return fromutf8(word.substr(0, word.find('=')));
  return fromutf8(std::string("-") + static_cast<char>(code));
}

// Why --diff or --dump cannot run as asked: an option they exclude, or inputs they cannot take; "" when
// nothing stands in the way.
text excluded(const commandline& cl) {
  const text mode = cl.dump ? u"--dump" : u"--diff";
  const std::pair<bool, const char16_t*> options[] = {
      {cl.dest.has_value(), u"--dest"},
      {cl.list, u"--list"},
      {cl.skipexisting, u"--skip-existing"},
      {cl.maxmaps.has_value(), u"--max-maps"},
      {cl.diff && cl.dump, u"--diff"},
      {cl.dump && cl.crop, u"--crop"},
      {cl.dump && cl.manifest.has_value(), u"--manifest"},
      {cl.gallery, u"--gallery"},
      {cl.check, u"--check"},
  };
  for (const auto& [given, name] : options) {
    if (given) return (u"option '" + text(name)).append(u"' cannot be used with ").append(mode);
  }
  if (cl.dump && !cl.inputs.empty()) return u"--dump takes its WAD as its value, no other input";
  if (cl.diff && cl.inputs.size() != 2) return u"--diff takes two inputs, OLD and NEW";
  return {};
}

// Why getopt_long refused the option it returned `code` for: a missing value, a value given to one
// that takes none, an ambiguous prefix or an unknown option.
text refusedoption(char* const* argv, int code) {
  if (code == ':') return u"option '" + fromutf8(offending(argv, optind, optopt, true)) + u"' needs a value";
  // A known option given a value it does not take ("--all=1") is refused as such.
  const std::string last = optind > 0 ? argv[optind - 1] : "";
  const bool valued = last.rfind("--", 0) == 0 && last.find('=') != std::string::npos && optopt != 0;
  const text name = fromutf8(offending(argv, optind, valued ? 0 : optopt, false));
  if (valued) return u"option '" + name + u"' takes no value";
  const text candidates = optopt == 0 ? longcandidates(toutf8(name)) : text();
  if (!candidates.empty())
    return (u"option '" + name).append(u"' is ambiguous; possibilities:").append(candidates);
  return u"unknown option '" + name + u"'";
}

// Why the options and inputs, each acceptable, cannot go together; "" when they can.
text conflicts(const commandline& cl) {
  if (cl.diff || cl.dump) return excluded(cl);
  if (cl.crop) return u"--crop needs --diff";
  if (cl.checkformat && !cl.check) return u"--check-format needs --check";
  if (cl.check && cl.list) return u"option '--list' cannot be used with --check";
  // A check run takes any number of inputs; only its pictures need a folder each.
  if (cl.check && cl.inputs.size() > 1 && cl.output && !cl.dest)
    return u"-o with more than one WAD needs --dest DIR";
  if (cl.inputs.size() > 1 && !cl.dest && !cl.check)
    return u"more than one WAD: \"" + cl.inputs[1] + u"\" (several inputs need --dest DIR)";
  if (cl.gallery && !cl.dest) return u"--gallery needs --dest DIR";
  if (cl.inputs.size() > 1 && cl.list) return u"--list takes one input";
  if (cl.dest && cl.output && leavesfolder(*cl.output))
    return u"output pattern \"" + *cl.output + u"\" leads out of the --dest folder";
  return {};
}

}  // namespace

std::string usagetext() {
  std::string out =
      "tracewell [WAD] [OPTIONS]\ntracewell [OPTIONS] --dest DIR INPUT...\ntracewell [OPTIONS] --diff OLD "
      "NEW\ntracewell [OPTIONS] --check INPUT...\n";
  for (const optionrow& o : optionrows) {
    std::string names = std::string("--") + o.name + (o.value ? std::string(" ") + o.value : "");
    names.resize(std::max(names.size() + 2, helpcolumn), ' ');  // two spaces end the names at least
    out += o.letter != 0 ? std::string("  -") + o.letter + ", " : std::string("      ");
    out += names + o.help;
    if (o.take == takeextra) out.append(" ").append(toutf8(kindwords()));
    out += "\n";
  }
  return out +
         "Long options may be shortened to any prefix that names only one (--out for --output).\n"
         "\n"
         "Without --settings, settings come from $XDG_CONFIG_HOME/tracewell/settings.txt\n"
         "(XDG_CONFIG_HOME unset or empty: ~/.config) if that file exists, else from\n"
         "settings.txt beside the program.\n";
}

bool isoption(const std::string& arg) {
  if (arg.size() >= 2 && arg[0] == '-' && arg[1] == '-') return true;
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  return arg.size() >= 2 && arg[0] == '-' && letter(arg[1]);
}

commandline commandline::parse(const std::vector<std::string>& args) {
  commandline cl;
  cl.scripted = std::any_of(args.begin(), args.end(), isoption);
  if (!cl.scripted) {
    if (!args.empty()) cl.inputs.push_back(fromutf8(args.front()));
    return cl;
  }

  // getopt_long wants argv as the C runtime gives it and reorders it.
  std::vector<std::string> owned = args;
  owned.insert(owned.begin(), "tracewell");
  std::vector<char*> argv;
  argv.reserve(owned.size() + 1);
  for (std::string& a : owned) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(owned.size());

  // "-" takes arguments in the order given whatever POSIXLY_CORRECT says;
  // ":" tells a missing value from an unknown option.
  std::string shortoptions = "-:";
  std::vector<option> longoptions;
  for (std::size_t i = 0; i < optioncount; ++i) {
    const optionrow& o = optionrows[i];
    if (o.letter != 0) shortoptions += std::string(1, o.letter) + (o.value ? ":" : "");
    longoptions.push_back({o.name, o.value ? required_argument : no_argument, nullptr, optioncode(i)});
  }
  longoptions.push_back({nullptr, 0, nullptr, 0});

  opterr = 0;  // the reasons below replace getopt's own messages
  optind = 0;  // a full restart, also for a second parse in one process
  for (;;) {
    int index = -1;
    const int c = getopt_long(argc, argv.data(), shortoptions.c_str(), longoptions.data(), &index);
    if (c == -1) break;
    if (c == 1) {
      cl.inputs.push_back(fromutf8(optarg));
      continue;
    }
    const auto row = std::find_if(std::begin(optionrows), std::end(optionrows), [c](const optionrow& o) {
      return optioncode(static_cast<std::size_t>(&o - optionrows)) == c;
    });
    if (row == std::end(optionrows)) {
      cl.error = refusedoption(argv.data(), c);
      return cl;
    }
    const text value = optarg != nullptr ? fromutf8(optarg) : text();
    cl.error = row->take(cl, value, row->value ? typedoption(argv.data(), optind, c) : text());
    if (!cl.error.empty()) return cl;
  }
  // After "--" every word is an argument.
  for (int i = optind; i < argc; ++i) cl.inputs.push_back(fromutf8(argv[static_cast<std::size_t>(i)]));
  cl.error = conflicts(cl);
  return cl;
}

}  // namespace tracewell

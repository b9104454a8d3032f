// The command line: a WAD for the dialogue, or options that draw maps without one.
#include "app/commandline.h"

#include <getopt.h>

#include <algorithm>
#include <memory>

#include "app/numbers.h"

namespace tracewell {

const char* const usagetext =
    "tracewell [WAD] [OPTIONS]\n"
    "  -m, --map NAME        draw this map; repeat for more; ALL draws every map\n"
    "  -a, --all             draw every map (same as --map ALL)\n"
    "  -f, --format FORMAT   Doom, Hexen, ZDoom or Auto (each map in its own layout)\n"
    "      --detect RULE     names: maps are entries named MAP...; content: any\n"
    "                        entry followed by map lumps (E1M1 too)\n"
    "  -s, --size WxH        image width and height in pixels\n"
    "      --width N         image width\n"
    "      --height N        image height\n"
    "  -M, --margin N        margin in pixels\n"
    "  -c, --scheme NAME     colour scheme from the settings file\n"
    "  -o, --output PATTERN  output path; % becomes the map name, * the date and time\n"
    "      --settings FILE   settings file to use instead of the usual one (below)\n"
    "  -l, --list            print the maps of WAD, one per line, and draw nothing\n"
    "  -h, --help            print this help and exit\n"
    "  -V, --version         print the version and exit\n"
    "\n"
    "Without --settings, settings come from $XDG_CONFIG_HOME/tracewell/settings.txt\n"
    "(XDG_CONFIG_HOME unset or empty: ~/.config) if that file exists, else from\n"
    "settings.txt beside the program.\n";

namespace {

// Values of the long-only options, beyond every character code.
enum : int { optwidth = 256, optheight, optsettings, optdetect };

constexpr const char* shortoptions = ":m:af:s:M:c:o:lhV";
const option longoptions[] = {
    {"map", required_argument, nullptr, 'm'},
    {"all", no_argument, nullptr, 'a'},
    {"format", required_argument, nullptr, 'f'},
    {"detect", required_argument, nullptr, optdetect},
    {"size", required_argument, nullptr, 's'},
    {"width", required_argument, nullptr, optwidth},
    {"height", required_argument, nullptr, optheight},
    {"margin", required_argument, nullptr, 'M'},
    {"scheme", required_argument, nullptr, 'c'},
    {"output", required_argument, nullptr, 'o'},
    {"settings", required_argument, nullptr, optsettings},
    {"list", no_argument, nullptr, 'l'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// The option getopt_long refused, as the user wrote it: a long option from
// its argument (without any "=value"), a short one from its letter.
std::string offending(char* const* argv, int next, int code, bool missingvalue) {
  const std::string last = next > 0 ? argv[next - 1] : "";
  const bool longform = last.rfind("--", 0) == 0;
  if (code > 0 && code < 256 && !(missingvalue && longform))
    return std::string("-") + static_cast<char>(code);
  return longform ? last.substr(0, last.find('=')) : last;
}

}  // namespace

bool isoption(const std::string& arg) {
  if (arg.size() >= 2 && arg[0] == '-' && arg[1] == '-') return true;
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  return arg.size() >= 2 && arg[0] == '-' && letter(arg[1]);
}

commandline commandline::parse(const std::vector<std::string>& args) {
  commandline cl;
  cl.scripted = std::any_of(args.begin(), args.end(), isoption);
  if (!cl.scripted) {
    if (!args.empty()) cl.wad = fromutf8(args.front());
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

  opterr = 0;  // the reasons below replace getopt's own messages
  optind = 0;  // a full restart, also for a second parse in one process
  for (;;) {
    int index = -1;
    const int c = getopt_long(argc, argv.data(), shortoptions, longoptions, &index);
    if (c == -1) break;
    const text value = optarg != nullptr ? fromutf8(optarg) : text();
    switch (c) {
      case 'm':
        cl.maps.push_back(value);
        break;
      case 'a':
        cl.maps.push_back(u"ALL");
        break;
      case 'f':
        cl.format = value;
        break;
      case optdetect:
        if (lower(value) == u"names") {
          cl.detection = mapdetection::names;
        } else if (lower(value) == u"content") {
          cl.detection = mapdetection::content;
        } else {
          cl.error = u"invalid value '" + value + u"' for --detect";
          return cl;
        }
        break;
      case 's': {
        const std::size_t x = value.find_first_of(u"xX");
        if (x == text::npos) {
          cl.error = u"invalid size \"" + value + u"\" (expected WxH)";
          return cl;
        }
        cl.width = tonumber(value.substr(0, x));
        cl.height = tonumber(value.substr(x + 1));
        break;
      }
      case optwidth:
        cl.width = tonumber(value);
        break;
      case optheight:
        cl.height = tonumber(value);
        break;
      case 'M':
        cl.margin = tonumber(value);
        break;
      case 'c':
        cl.scheme = value;
        break;
      case 'o':
        cl.output = value;
        break;
      case optsettings:
        cl.settings = value;
        break;
      case 'l':
        cl.list = true;
        break;
      case 'h':
        cl.help = true;
        break;
      case 'V':
        cl.version = true;
        break;
      case ':':
        cl.error = u"option '" + fromutf8(offending(argv.data(), optind, optopt, true)) + u"' needs a value";
        return cl;
      default: {
        // A known option given a value it does not take ("--all=1") is refused as such.
        const std::string last = optind > 0 ? argv[static_cast<std::size_t>(optind - 1)] : "";
        const bool valued = last.rfind("--", 0) == 0 && last.find('=') != std::string::npos && optopt != 0;
        const text name = fromutf8(offending(argv.data(), optind, valued ? 0 : optopt, false));
        cl.error = valued ? u"option '" + name + u"' takes no value" : u"unknown option '" + name + u"'";
        return cl;
      }
    }
  }
  for (int i = optind; i < argc; ++i) {
    if (cl.wad) {
      cl.error = u"more than one WAD: \"" + fromutf8(argv[static_cast<std::size_t>(i)]) + u"\"";
      return cl;
    }
    cl.wad = fromutf8(argv[static_cast<std::size_t>(i)]);
  }
  return cl;
}

}  // namespace tracewell

// The output run: one PNG file per chosen map.
#include <climits>
#include <string_view>

#include "app/console.h"
#include "app/report.h"
#include "render/automap.h"
#include "render/png.h"
#include "support/terminal.h"
#include "support/timestamp.h"
#include "wad/map.h"
#include "wad/mapsource.h"
#include "wad/wad.h"

namespace tracewell {

namespace {
constexpr int pnglevel = 5;

// The files the tool reads: an image written over one of them would destroy it.
std::vector<fileid> inputfiles(const console& c) {
  std::vector<fileid> ids;
  for (const text& path : {c.inputpath, c.settingspath}) {
    if (const auto id = identify(path)) ids.push_back(*id);
  }
  return ids;
}

// No file system takes a longer path, in bytes, and a code unit is at least one
// byte: a longer file name fails without being built.
constexpr std::size_t longestpath = PATH_MAX;

// Output is printed in parts of about this many code units.
constexpr std::size_t printpart = std::size_t{1} << 15;

// The file name of one map is the pattern with each "%" replaced by `name` and
// each "*" by `stamp`, a "*" inside the map name included (its "*" are already
// replaced in `name`). `piece` gets the parts of that name in order, so a name
// far longer than the pattern need never be held whole.
template <typename F>
void eachpiece(const text& pattern, const text& name, const text& stamp, F piece) {
  std::size_t pos = 0;
  for (;;) {
    const std::size_t hit = pattern.find_first_of(u"%*", pos);
    const std::u16string_view rest = std::u16string_view(pattern).substr(pos, hit - pos);
    if (!rest.empty()) piece(rest);
    if (hit == text::npos) return;
    piece(std::u16string_view(pattern[hit] == u'%' ? name : stamp));
    pos = hit + 1;
  }
}

// The failure line for a file name too long to build, printed part by part.
void printfailedwrite(const text& pattern, const text& name, const text& stamp, voice v) {
  clearprogress();
  terminal& t = currentterminal();
  const auto emit = [&t, v](const text& part) {
    if (v == voice::dialogue) {
      t.write(toutf8(part));
    } else {
      t.writeerror(toutf8(part));
    }
  };
  text part = u"Failed to write PNG file \"";
  eachpiece(pattern, name, stamp, [&part, &emit](std::u16string_view piece) {
    part += piece;
    if (part.size() >= printpart) {
      emit(part);
      part.clear();
    }
  });
  emit(part + (v == voice::dialogue ? u"\".\r\n" : u"\".\n"));
}
}  // namespace

void console::do_() {
  const bool all = mapname == u"ALL";
  if (mode == voice::dialogue) printline(all ? u"Outputting maps..." : u"Outputting map...");
  if (all) {
    std::size_t done = 0;
    for (const text& name : maps) {
      showprogress(printable(name) + u"  " + inttotext(static_cast<std::int64_t>(++done)) + u"/" +
                   inttotext(static_cast<std::int64_t>(maps.size())));
      domap(name);
    }
    clearprogress();
  } else {
    domap(mapname);
  }
  if (wstream) wstream->close();
  source = nullptr;  // an archive's file closes with it
}

void console::domap(const text& name) {
  // In an ALL run every listed name is tried, MAPINFO among them: one that is
  // no map is not a map the user asked for.
  const bool asked = mapname != u"ALL";
  // The time is taken afresh for every map, so a long run gets distinct names.
  const text stamp = timestamp::now().todottedstring();
  const text filledname = replaceall(filenamesafe(name), u"*", stamp);
  std::size_t length = 0;
  eachpiece(outputpath, filledname, stamp, [&length](std::u16string_view piece) { length += piece.size(); });
  text path;
  if (length <= longestpath) {
    path.reserve(length);
    eachpiece(outputpath, filledname, stamp, [&path](std::u16string_view piece) { path += piece; });
  }
  const text unloaded = u"Failed to load map lumps for \"" + printable(name) + u"\". Image not outputted.";
  // A console filled without the dialogue has the WAD alone.
  const lumpgroup group =
      source ? source->getmapgroup(name) : w->getmaplumps(name, wad::maplumps);  // TODO(merge)
  // Only an archive entry that cannot be read gives no group: that line alone says so.
  if (group.empty()) {
    say(unloaded);
    if (asked) missedmaps = true;
    return;
  }
  const result<std::shared_ptr<map>> m = map::Create(group, format);
  if (!m.ok()) {
    report(m.error(), mode);  // a notice; anything else ends the process here
    say(unloaded);
    if (asked) missedmaps = true;
    return;
  }
  const result<std::unique_ptr<TPixmap>> drawn = render(*m.value(), width, height, margin, scheme->background,
                                                        scheme->colors, scheme->order, scheme->actionspecial);
  if (!drawn.ok()) {
    report(drawn.error(), mode);
    return;
  }
  const std::unique_ptr<TPixmap>& image = drawn.value();
  if (!image) {
    say(u"Image size " + inttotext(width) + u" x " + inttotext(height) + u" is too large for \"" +
        printable(name) + u"\". Image not outputted.");
    missedmaps = true;
    return;
  }
  // A silent failure would look like success; the writer keeps any older file.
  if (length > longestpath) {
    printfailedwrite(outputpath, filledname, stamp, mode);
    missedmaps = true;
  } else if (WritePNG(*image, path, pnglevel, inputfiles(*this)) == 0) {
    say(u"Failed to write PNG file \"" + path + u"\".");
    missedmaps = true;
  } else if (mode == voice::commandline) {
    // The command line lists what it wrote, so its output can feed other tools.
    printplainline(path);
  }
}

void console::say(const text& line) const {
  sayline(line, mode);
}

}  // namespace tracewell

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
void printfailedwrite(const text& pattern, const text& name, const text& stamp) {
  text part = u"Failed to write PNG file \"";
  eachpiece(pattern, name, stamp, [&part](std::u16string_view piece) {
    part += piece;
    if (part.size() >= printpart) {
      currentterminal().write(toutf8(part));
      part.clear();
    }
  });
  printline(part + u"\".");
}
}  // namespace

void console::do_() {
  const bool all = mapname == u"ALL";
  printline(all ? u"Outputting maps..." : u"Outputting map...");
  if (all) {
    for (const text& name : maps) domap(name);
  } else {
    domap(mapname);
  }
  if (wstream) wstream->close();
}

void console::domap(const text& name) {
  // The time is taken afresh for every map, so a long run gets distinct names.
  const text stamp = timestamp::now().todottedstring();
  const text filledname = replaceall(name, u"*", stamp);
  std::size_t length = 0;
  eachpiece(outputpath, filledname, stamp, [&length](std::u16string_view piece) { length += piece.size(); });
  text path;
  if (length <= longestpath) {
    path.reserve(length);
    eachpiece(outputpath, filledname, stamp, [&path](std::u16string_view piece) { path += piece; });
  }
  const result<std::shared_ptr<map>> m = map::Create(w->getmapgroup(name), format);
  if (!m.ok()) {
    report(m.error());  // a notice; anything else ends the process here
    printline(u"Failed to load map lumps for \"" + name + u"\". Image not outputted.");
    return;
  }
  const result<std::unique_ptr<TPixmap>> drawn = render(*m.value(), width, height, margin, scheme->background,
                                                        scheme->colors, scheme->order, scheme->actionspecial);
  if (!drawn.ok()) {
    report(drawn.error());
    return;
  }
  const std::unique_ptr<TPixmap>& image = drawn.value();
  if (!image) {
    printline(u"Image size " + inttotext(width) + u" x " + inttotext(height) + u" is too large for \"" +
              name + u"\". Image not outputted.");
    return;
  }
  // A silent failure would look like success; the writer keeps any older file.
  if (length > longestpath) {
    printfailedwrite(outputpath, filledname, stamp);
  } else if (WritePNG(*image, path, pnglevel, inputfiles(*this)) == 0) {
    printline(u"Failed to write PNG file \"" + path + u"\".");
  }
}

}  // namespace tracewell

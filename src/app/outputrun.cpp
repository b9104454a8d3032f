// The output run: one PNG file per chosen map.
#include "app/console.h"
#include "app/globals.h"
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
  for (const text& path : {c.inputpath, settingspath}) {
    if (const auto id = identify(path)) ids.push_back(*id);
  }
  return ids;
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
  const text path = replaceall(replaceall(outputpath, u"%", name), u"*", timestamp::now().todottedstring());
  const std::shared_ptr<map> m = map::Create(w->getmaplumps(name, wad::maplumps), format);
  if (!m) {
    printline(u"Failed to load map lumps for \"" + name + u"\". Image not outputted.");
    return;
  }
  const std::unique_ptr<TPixmap> image = render(*m, width, height, margin, scheme->background, scheme->colors,
                                                scheme->order, scheme->actionspecial);
  if (!image) {
    printline(u"Image size " + inttotext(width) + u" x " + inttotext(height) + u" is too large for \"" +
              name + u"\". Image not outputted.");
    return;
  }
  // A silent failure would look like success; the writer keeps any older file.
  if (WritePNG(*image, path, pnglevel, inputfiles(*this)) == 0)
    printline(u"Failed to write PNG file \"" + path + u"\".");
}

}  // namespace tracewell

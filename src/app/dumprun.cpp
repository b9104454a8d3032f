// --dump: a WAD's maps as stable text, for git's textconv.
#include <algorithm>
#include <filesystem>
#include <list>
#include <optional>
#include <string>
#include <system_error>

#include "app/batchrun.h"
#include "app/commandline.h"
#include "app/console.h"
#include "app/diffrun.h"
#include "app/entry.h"
#include "app/mapchoice.h"
#include "app/outputname.h"
#include "app/report.h"
#include "game/mapdiff.h"
#include "support/bytestream.h"
#include "support/path.h"
#include "support/process.h"
#include "support/terminal.h"
#include "wad/lumplayout.h"

namespace tracewell {

namespace {

[[noreturn]] void refuse(const text& why) {
  printerrorline(u"tracewell: " + why);
  exitprocess(1);
}

}  // namespace

result<std::shared_ptr<mapsource>> openversion(const text& path, mapdetection how) {
  // A pipe is opened once only, by the reader that takes it whole: a first look that opened and
  // closed it would end the writer's output.
  std::error_code ec;
  const auto type = std::filesystem::status(nativepath(path), ec).type();
  const bool stream = !ec && type != std::filesystem::file_type::regular &&
                      type != std::filesystem::file_type::directory &&
                      type != std::filesystem::file_type::not_found;
  if (!stream) {
    result<std::shared_ptr<mapsource>> opened = openmapsource(path, {}, how);
    if (opened.ok()) return opened;
    return asinputrefusal(opened.error());
  }
  // The first bytes decide before the rest is read, so an endless stream of something else ends at once.
  result<std::shared_ptr<const std::vector<unsigned char>>> bytes =
      readwhole(path, streamlimit, wadformat::header::identification.width, ismapsourcehead);
  if (!bytes.ok()) return bytes.error();
  result<std::shared_ptr<mapsource>> opened = openmapsource(std::move(bytes).value(), {}, how);
  if (opened.ok()) return opened;
  return asinputrefusal(opened.error());
}

std::shared_ptr<mapsource> openversionorstop(const text& path, mapdetection how) {
  result<std::shared_ptr<mapsource>> opened = openversion(path, how);
  if (opened.ok()) return std::move(opened).value();
  const failure& f = opened.error();
  if (f.what != failure::kind::notice) report(f, voice::commandline);  // a stream failure: 255
  printerrorline(inputline(path, refusaltext(f)));
  exitprocess(1);
}

void rundump(const commandline& cl, console& c) {
  if (cl.format) c.formatname = *cl.format;
  c.format = console::getformat(c.formatname);
  if (c.format < 0) refuse(refusal::badformat);
  const std::shared_ptr<mapsource> opened = openversionorstop(*cl.dump, c.detection);
  mapsource& source = *opened;
  const std::list<text> listed = source.getmapnames();
  mapchoice asked = mapchoice::of(cl.maps);
  asked.all = asked.all || cl.maps.empty();
  const std::optional<mapselection> chosen = choosemaps(asked, listed, unlistedname::refuse);
  // No maps at all is an empty text, which git shows as such.
  if (!chosen && !listed.empty()) refuse(refusal::badmap);
  const std::list<text> names = chosen ? chosen->names : std::list<text>{};
  bool missed = false;
  for (const text& name : names) {
    std::string out = "map " + toutf8(printable(name)) + "\n";
    const result<std::shared_ptr<map>> m = source.loadmap(name, c.format, printable(name), true);
    if (m.ok()) {
      out += dumpmap(*m.value());
    } else {
      report(m.error(), voice::commandline);
      printerrorline(loadfailedline(name));
      out += "unreadable\n";
      missed = true;
    }
    currentterminal().write(out);
  }
  finish(missed ? 2 : 0);
}

}  // namespace tracewell

// --dump: a WAD's maps as stable text, for git's textconv.
#include <list>
#include <optional>
#include <string>

#include "app/commandline.h"
#include "app/console.h"
#include "app/diffrun.h"
#include "app/mapchoice.h"
#include "app/openinput.h"
#include "app/outputname.h"
#include "app/report.h"
#include "app/runsetup.h"
#include "game/mapdiff.h"
#include "support/terminal.h"

namespace tracewell {

runend rundump(const commandline& cl, console& c) {
  if (std::optional<runend> refused = applyformat(cl, c)) return *refused;
  result<std::shared_ptr<mapsource>> opened = openversion(*cl.dump, c.detection);
  if (!opened.ok()) return inputrefused(*cl.dump, opened.error());
  mapsource& source = *opened.value();
  const std::list<text> listed = source.getmapnames();
  mapchoice asked = mapchoice::of(cl.maps);
  asked.all = asked.all || cl.maps.empty();
  const std::optional<mapselection> chosen = choosemaps(asked, listed, unlistedname::refuse);
  // No maps at all is an empty text, which git shows as such.
  if (!chosen && !listed.empty()) return runend::refusal(refusal::badmap);
  const std::list<text> names = chosen ? chosen->names : std::list<text>{};
  runend end;
  for (const text& name : names) {
    std::string out = "map " + toutf8(printable(name)) + "\n";
    const result<std::shared_ptr<map>> m = source.loadmap(name, c.format, printable(name), true);
    if (m.ok()) {
      out += dumpmap(*m.value());
    } else if (m.error().what != failure::kind::notice) {
      return runend::stop(m.error());
    } else {
      report(m.error(), voice::commandline);
      printerrorline(loadfailedline(name));
      out += "unreadable\n";
      end.note(runoutcome::missed);
    }
    currentterminal().write(out);
  }
  return end;
}

}  // namespace tracewell

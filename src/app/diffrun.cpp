// --diff: what changed from one version of a WAD to the next, map by map, as a picture, a summary and
// records.
#include "app/diffrun.h"

#include <algorithm>
#include <list>
#include <optional>
#include <vector>

#include "app/commandline.h"
#include "app/console.h"
#include "app/manifest.h"
#include "app/mapchoice.h"
#include "app/maprun.h"
#include "app/openinput.h"
#include "app/report.h"
#include "app/runsetup.h"
#include "support/terminal.h"

namespace tracewell {

namespace {

// The maps to compare: those NEW lists in its order, then those only OLD lists in its order; or the
// names asked for, each listed by either version. nullopt: a name neither lists.
std::optional<std::list<text>> mapsofboth(const revision& older, const revision& newer,
                                          const std::vector<text>& asked) {
  std::list<text> both = newer.names;
  for (const text& n : older.names) {
    if (!newer.listed(n)) both.push_back(n);
  }
  // The names after ALL were never looked at here: they stay unchecked.
  const auto all = std::find_if(asked.begin(), asked.end(), [](const text& w) { return upper(w) == u"ALL"; });
  mapchoice wanted = mapchoice::of({asked.begin(), all == asked.end() ? all : std::next(all)});
  wanted.all = wanted.all || asked.empty();
  const std::optional<mapselection> chosen = choosemaps(wanted, both, unlistedname::refuse);
  if (!chosen) {
    // Nothing listed by either version is nothing to compare, unless a name was asked for.
    if (wanted.named.empty()) return std::list<text>{};
    return std::nullopt;
  }
  // Each as the newer version spells it, else as the older does.
  std::list<text> names;
  for (const text& n : chosen->names) names.push_back(newer.listed(n).value_or(older.listed(n).value_or(n)));
  return names;
}

}  // namespace

runend rundiff(const commandline& cl, console& c) {
  if (std::optional<runend> refused = applylook(cl, c)) return *refused;
  result<revision> older = openrevision(cl.inputs[0], c.detection);
  if (!older.ok()) return inputrefused(cl.inputs[0], older.error());
  result<revision> newer = openrevision(cl.inputs[1], c.detection);
  if (!newer.ok()) return inputrefused(cl.inputs[1], newer.error());
  drawrequest r = c.request();
  r.work = mapwork::diff;
  r.crop = cl.crop;
  r.pattern = cl.output ? *cl.output : text(u"%-diff.png");
  r.keep = c.keptfiles({older.value().path, newer.value().path});
  r.input = newer.value().path;
  r.literalnames = true;
  r.census = cl.manifest.has_value();
  r.extra = cl.extra;
  manifestwriter manifest;
  manifest.outputs = !cl.extra.empty();
  if (cl.manifest) {
    if (std::optional<runend> refused = startmanifest(manifest, *cl.manifest, r.keep)) return *refused;
  }
  const std::optional<std::list<text>> names = mapsofboth(older.value(), newer.value(), cl.maps);
  if (!names) return runend::refusal(refusal::badmap);

  maprun run(nullptr);
  run.mode = voice::commandline;
  run.printwritten = cl.manifest != text(u"-");
  if (cl.manifest) run.recorded = [&manifest](const mapoutcome& record) { manifest.add(record); };
  run.compare(std::move(older).value(), std::move(newer).value());
  const drawend drawn = run.draw(*names, r, false);
  if (!drawn.ok()) return runend::stop(*drawn.stop);
  runend end;
  if (run.missed()) end.note(runoutcome::missed);
  if (cl.manifest) end.note(finishmanifest(manifest, *cl.manifest));
  return end;
}

}  // namespace tracewell

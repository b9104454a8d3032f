// --diff: what changed from one version of a WAD to the next, map by map, as a picture, a summary and
// records.
#include "app/diffrun.h"

#include <algorithm>
#include <list>
#include <nlohmann/json.hpp>
#include <optional>
#include <thread>
#include <vector>

#include "app/commandline.h"
#include "app/console.h"
#include "app/diffrecord.h"
#include "app/filekind.h"
#include "app/manifest.h"
#include "app/mapchoice.h"
#include "app/openinput.h"
#include "app/outputname.h"
#include "app/report.h"
#include "app/runsetup.h"
#include "game/mapdiff.h"
#include "game/mapfacts.h"
#include "render/diffscene.h"
#include "render/mapfit.h"
#include "render/png.h"
#include "render/scene.h"
#include "support/terminal.h"
#include "web/diffpage.h"
#include "web/svg.h"

namespace tracewell {

namespace {

// One version of the input: its source and the names it lists.
struct revision {
  text path;
  std::shared_ptr<mapsource> source;
  std::list<text> names;

  // The listed name equal to `name` ignoring case; nullopt when it lists none.
  std::optional<text> listed(const text& name) const {
    const text wanted = upper(name);
    for (const text& n : names) {
      if (upper(n) == wanted) return n;
    }
    return std::nullopt;
  }
};

// The version at `path`, or why it cannot be used.
result<revision> openrevision(const text& path, mapdetection how) {
  result<std::shared_ptr<mapsource>> opened = openversion(path, how);
  if (!opened.ok()) return opened.error();
  revision r{path, std::move(opened).value(), {}};
  r.names = r.source->getmapnames();
  return r;
}

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
  if (chosen) return chosen->names;
  // Nothing listed by either version is nothing to compare, unless a name was asked for.
  if (wanted.named.empty()) return std::list<text>{};
  return std::nullopt;
}

// The version's map `name`, an empty map when it lists none, or nullopt when it cannot be read: its
// failure lines go to `errors`, or to `stop` for a fatal stop or a stream failure, which ends the run.
std::optional<std::shared_ptr<map>> loadversion(const revision& r, const text& name, std::int32_t format,
                                                std::vector<text>& errors, std::optional<failure>& stop) {
  const std::optional<text> listed = r.listed(name);
  if (!listed) return std::make_shared<map>();
  const result<std::shared_ptr<map>> m = r.source->loadmap(*listed, format, printable(*listed), true);
  if (m.ok()) return m.value();
  if (m.error().what != failure::kind::notice) {
    stop = m.error();
    return std::nullopt;
  }
  if (const text entry = entryerrorline(m.error()); !entry.empty()) errors.push_back(entry);
  errors.insert(errors.end(), m.error().lines.begin(), m.error().lines.end());
  return std::nullopt;
}

// The files of map `name` under `pattern`: the main kind, then each of `extra` not written already.
std::vector<kindfile> filesof(const text& pattern, const std::vector<filekind>& extra, const text& name,
                              const mapfile& main) {
  std::vector<kindfile> files = {{kindofpath(pattern), main.path}};
  for (const filekind k : extra) {
    if (std::any_of(files.begin(), files.end(), [k](const kindfile& f) { return f.kind == k; })) continue;
    // The time in the name is the main file's, so that the files of one map share their names.
    const mapfile further = makemapfile(patternfor(pattern, k), name, {}, main.stamp, true);
    files.push_back({k, further.toolong() ? text() : further.path});
  }
  return files;
}

// Writes the scene as every file of `record`; the failure line of each that cannot be written goes to
// its errors.
void writefiles(const scene& s, const map& older, const map& newer, const mapdiff& d, mapoutcome& record,
                const std::vector<fileid>& keep, pngencoding png) {
  std::unique_ptr<TPixmap> image;
  bool every = true;
  for (kindfile& f : record.files) {
    if (f.kind == filekind::png) {
      if (!image) image = TPixmap::Create(s.width, s.height, TPixmap::RGBA, 4);
      if (!image) {
        record.errors.push_back(toolargeline(s.width, s.height, record.name));
        return;
      }
      drawscene(s, *image);
    }
    outputfile out = outputfile::open(f.path, keep);
    outputstatus written;
    if (f.kind == filekind::png) {
      // One map at a time: its encoder may use every core.
      written = WritePNG(*image, out, pnglevel, png, std::max(std::thread::hardware_concurrency(), 1U));
    } else if (f.kind == filekind::html) {
      written = writediffpage(s, older, newer, d, svgnames{record.name, record.input}, out);
    } else {
      written = writesvg(s, svgnames{record.name, record.input}, out);
    }
    f.settle(written.ok() ? out.commit() : written);
    if (!f.written) record.errors.push_back(writefailedline(f.path, f.kind));
    every = every && f.written;
  }
  if (every) record.status = mapoutcome::state::written;
}

// What a diff run settles once: both versions, the look and the files it writes.
struct diffsetup {
  const commandline& cl;
  const console& c;
  revision older, newer;
  text pattern;
  std::vector<fileid> keep;
  bool quiet;  // the manifest goes to standard output, and nothing else does
};

// The record's map fields, of the newer version.
void describe(mapoutcome& record, const map& m, const diffsetup& s) {
  record.width = s.c.width;
  record.height = s.c.height;
  record.facts = factsof(m, s.cl.manifest.has_value());
}

// Draws the diff of a changed map into its files and lists those written.
void picture(mapoutcome& record, const map& a, const map& b, const mapdiff& d, const diffsetup& s) {
  const mapfile file = makemapfile(s.pattern, record.name, {}, true);
  record.output = file.path;
  record.files = filesof(s.pattern, s.cl.extra, record.name, file);
  const result<scene> made =
      makediffscene(a, b, d, s.c.width, s.c.height, s.c.margin, s.c.scheme->look, s.cl.crop);
  if (!made.ok()) {
    record.errors = made.error().lines;
    record.errors.push_back(loadfailedline(record.name));
  } else if (file.toolong()) {
    printfailedwrite(s.pattern, file, voice::commandline, kindofpath(s.pattern));
  } else {
    writefiles(made.value(), a, b, d, record, s.keep, s.c.png);
    for (const kindfile& f : record.files) {
      if (f.written && !s.quiet) printplainline(printable(f.path));
    }
  }
  sayfailures(record.errors, record.files, voice::commandline);
}

// Compares map `name` of both versions: prints its summary and draws it when it changed, or prints
// why it could not be read. A fatal stop or a stream failure goes to `stop` with nothing printed.
mapoutcome diffonemap(const diffsetup& s, const text& name, std::optional<failure>& stop) {
  mapoutcome record;
  record.input = s.newer.path;
  record.oldinput = s.older.path;
  record.name = s.newer.listed(name).value_or(s.older.listed(name).value_or(name));
  const auto was = loadversion(s.older, name, s.c.format, record.errors, stop);
  const auto is = was ? loadversion(s.newer, name, s.c.format, record.errors, stop) : std::nullopt;
  if (stop) return record;
  if (!was || !is) {
    record.errors.push_back(loadfailedline(record.name));
    for (const text& line : record.errors) printerrorline(line);
    return record;
  }
  const map &a = **was, &b = **is;
  const mapdiff d = diffmaps(a, b);
  if (s.newer.listed(name)) describe(record, b, s);
  record.diff = std::make_shared<const nlohmann::ordered_json>(diffjson(d, a, b));
  if (!s.quiet) printplainline(summaryline(printable(record.name), d));
  if (d.empty()) {
    record.status = mapoutcome::state::unchanged;
  } else {
    picture(record, a, b, d, s);
  }
  return record;
}

}  // namespace

runend rundiff(const commandline& cl, console& c) {
  if (std::optional<runend> refused = applylook(cl, c)) return *refused;
  result<revision> older = openrevision(cl.inputs[0], c.detection);
  if (!older.ok()) return inputrefused(cl.inputs[0], older.error());
  result<revision> newer = openrevision(cl.inputs[1], c.detection);
  if (!newer.ok()) return inputrefused(cl.inputs[1], newer.error());
  std::vector<fileid> keep = c.keptfiles({older.value().path, newer.value().path});
  const diffsetup s{cl,
                    c,
                    std::move(older).value(),
                    std::move(newer).value(),
                    cl.output ? *cl.output : text(u"%-diff.png"),
                    std::move(keep),
                    cl.manifest == text(u"-")};
  manifestwriter manifest;
  manifest.outputs = !cl.extra.empty();
  if (cl.manifest) {
    if (std::optional<runend> refused = startmanifest(manifest, *cl.manifest, s.keep)) return *refused;
  }
  const std::optional<std::list<text>> names = mapsofboth(s.older, s.newer, cl.maps);
  if (!names) return runend::refusal(refusal::badmap);
  runend end;
  for (const text& name : *names) {
    std::optional<failure> stop;
    const mapoutcome record = diffonemap(s, name, stop);
    if (stop) return runend::stop(*stop);
    if (record.status != mapoutcome::state::written && record.status != mapoutcome::state::unchanged)
      end.note(runoutcome::missed);
    if (cl.manifest) manifest.add(record);
  }
  if (cl.manifest && !manifest.close().ok()) {
    printerrorline(u"tracewell: " + manifestline(*cl.manifest));
    end.note(runoutcome::missed);
  }
  return end;
}

}  // namespace tracewell

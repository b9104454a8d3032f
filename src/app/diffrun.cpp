// --diff: what changed from one version of a WAD to the next, map by map, as a picture, a summary and
// records.
#include "app/diffrun.h"

#include <algorithm>
#include <list>
#include <nlohmann/json.hpp>
#include <optional>
#include <thread>
#include <vector>

#include "app/batchrun.h"
#include "app/commandline.h"
#include "app/console.h"
#include "app/diffrecord.h"
#include "app/entry.h"
#include "app/filekind.h"
#include "app/manifest.h"
#include "app/outputname.h"
#include "app/report.h"
#include "game/mapdiff.h"
#include "game/mapfacts.h"
#include "render/diffpage.h"
#include "render/diffscene.h"
#include "render/mapfit.h"
#include "render/png.h"
#include "render/scene.h"
#include "render/svg.h"
#include "support/process.h"
#include "support/terminal.h"

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

[[noreturn]] void refuse(const text& why) {
  printerrorline(u"tracewell: " + why);
  exitprocess(1);
}

revision openrevision(const text& path, mapdetection how) {
  revision r{path, openversionorstop(path, how), {}};
  r.names = r.source->getmapnames();
  return r;
}

// The maps to compare: those NEW lists in its order, then those only OLD lists in its order; or the
// names asked for, each listed by either version.
std::list<text> mapsofboth(const revision& older, const revision& newer, const std::vector<text>& asked) {
  std::list<text> both = newer.names;
  for (const text& n : older.names) {
    if (!newer.listed(n)) both.push_back(n);
  }
  std::list<text> out;
  for (const text& wanted : asked) {
    if (upper(wanted) == u"ALL") return both;
    if (!older.listed(wanted) && !newer.listed(wanted)) refuse(refusal::badmap);
    out.push_back(upper(wanted));
  }
  return asked.empty() ? both : out;
}

// The version's map `name`, an empty map when it lists none, or nullopt when it cannot be read: its
// failure lines are printed then. A fatal stop or a stream failure ends the run.
std::optional<std::shared_ptr<map>> loadversion(const revision& r, const text& name, std::int32_t format,
                                                std::vector<text>& errors) {
  const std::optional<text> listed = r.listed(name);
  if (!listed) return std::make_shared<map>();
  const result<std::shared_ptr<map>> m = r.source->loadmap(*listed, format, printable(*listed), true);
  if (m.ok()) return m.value();
  if (m.error().what != failure::kind::notice) report(m.error(), voice::commandline);
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
      // One map at a time: its encoder may use every core.
      f.settle(
          WritePNG(*image, f.path, pnglevel, keep, png, std::max(std::thread::hardware_concurrency(), 1U)));
    } else if (f.kind == filekind::html) {
      f.settle(writediffpage(s, older, newer, d, svgnames{record.name, record.input}, f.path, keep));
    } else {
      f.settle(writesvg(s, svgnames{record.name, record.input}, f.path, keep));
    }
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
// why it could not be read.
mapoutcome diffonemap(const diffsetup& s, const text& name) {
  mapoutcome record;
  record.input = s.newer.path;
  record.oldinput = s.older.path;
  record.name = s.newer.listed(name).value_or(s.older.listed(name).value_or(name));
  const auto was = loadversion(s.older, name, s.c.format, record.errors);
  const auto is = was ? loadversion(s.newer, name, s.c.format, record.errors) : std::nullopt;
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

void rundiff(const commandline& cl, console& c) {
  applylook(cl, c);
  revision older = openrevision(cl.inputs[0], c.detection);
  revision newer = openrevision(cl.inputs[1], c.detection);
  std::vector<fileid> keep = c.keptfiles({older.path, newer.path});
  const diffsetup s{cl,
                    c,
                    std::move(older),
                    std::move(newer),
                    cl.output ? *cl.output : text(u"%-diff.png"),
                    std::move(keep),
                    cl.manifest == text(u"-")};
  manifestwriter manifest;
  manifest.outputs = !cl.extra.empty();
  if (cl.manifest) startmanifest(manifest, *cl.manifest, s.keep);
  bool missed = false;
  for (const text& name : mapsofboth(s.older, s.newer, cl.maps)) {
    const mapoutcome record = diffonemap(s, name);
    missed = missed ||
             (record.status != mapoutcome::state::written && record.status != mapoutcome::state::unchanged);
    if (cl.manifest) manifest.add(record);
  }
  if (cl.manifest && !manifest.close().ok()) {
    printerrorline(u"tracewell: " + manifestline(*cl.manifest));
    missed = true;
  }
  finish(missed ? 2 : 0);
}

}  // namespace tracewell

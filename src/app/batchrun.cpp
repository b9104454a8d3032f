// The batch run: many inputs in one run, a folder per input, a record per map.
#include "app/batchrun.h"

#include <algorithm>
#include <list>
#include <vector>

#include "app/batchplan.h"
#include "app/commandline.h"
#include "app/console.h"
#include "app/filekind.h"
#include "app/report.h"
#include "app/runsetup.h"
#include "support/outputfile.h"
#include "support/path.h"
#include "support/terminal.h"

namespace tracewell {

namespace {

// The destination as a folder to join names to: without the separators it ends in, "." for none.
text destfolder(text dest) {
  while (dest.size() > 1 && (dest.back() == u'/' || dest.back() == u'\\')) dest.pop_back();
  return dest.empty() ? text(u".") : dest;
}

// What an input that cannot be drawn at all prints and records, after every map before it.
void refuseinput(const console& c, const text& input, std::size_t given, const text& why) {
  maprun& run = *c.run;
  run.drain();
  clearprogress();
  printerrorline(inputline(input, why));
  mapoutcome r;
  r.input = input;
  r.given = given;
  r.whole = true;
  r.errors = {why};
  if (run.recorded) run.recorded(r);
}

void closeinput(console& c) {
  if (c.wstream) c.wstream->close();
  c.wstream = nullptr;
  c.w = nullptr;
  c.run->close();  // never more than one input open at once
}

}  // namespace

std::optional<runend> setupbatch(const commandline& cl, console& c, const text& fallback, batchsetup& b) {
  b.asked = mapchoice::of(cl.maps);
  // A run over a collection draws all of it unless maps are named.
  if (cl.maps.empty()) b.asked.all = true;
  if (std::optional<runend> refused = applylook(cl, c)) return refused;

  b.inputs = cl.inputs.empty() ? std::vector<text>{fallback} : cl.inputs;
  b.gallery = cl.gallery;
  // The gallery's own file keeps its name: an input whose stem is index.html draws into index.html-2.
  b.folders = b.gallery ? inputfolders(b.inputs, {u"index.html"}) : inputfolders(b.inputs);
  if (cl.dest) b.dest = destfolder(*cl.dest);
  // Below --dest only the file-name part of the settings' pattern counts.
  b.pattern = cl.output ? *cl.output : cl.dest ? patternfilename(c.outputpath) : c.outputpath;
  c.outputpath = b.pattern;
  b.base = c.request();
  b.base.keep = c.keptfiles(b.inputs);
  b.base.literalnames = true;
  b.base.skipexisting = cl.skipexisting;
  b.base.census = cl.manifest.has_value() || cl.gallery;
  // Pages and galleries show the things per skill and mode; so do their runs' records.
  const bool pages = kindofpath(b.pattern) == filekind::html ||
                     std::find(cl.extra.begin(), cl.extra.end(), filekind::html) != cl.extra.end();
  b.base.tally = pages || cl.gallery;
  b.maxmaps = cl.maxmaps;
  b.manifestpath = cl.manifest;
  b.manifest.outputs = !cl.extra.empty();
  b.manifest.tallies = b.base.tally;

  // The destination is made first, so that a manifest may be kept in it; one that cannot be shows in each
  // map's failure line.
  if (cl.dest) makefolders(b.dest);
  if (cl.manifest) {
    if (std::optional<runend> refused = startmanifest(b.manifest, *cl.manifest, b.base.keep)) return refused;
  }

  c.run = std::make_shared<maprun>(nullptr);
  maprun& run = *c.run;
  run.mode = voice::commandline;
  run.printwritten = cl.manifest != text(u"-");
  if (cl.manifest || cl.gallery) {
    run.recorded = [&b](const mapoutcome& r) {
      if (b.manifestpath) b.manifest.add(r);
      if (b.gallery) b.galleryentries.push_back(galleryentryof(r));
    };
  }
  run.span(mapsinflight(c.width, c.height, c.png));
  return std::nullopt;
}

runoutcome runinput(console& c, const batchsetup& b, std::size_t i) {
  const text& input = b.inputs[i];
  const status opened = c.tryopen(input);
  runoutcome refused = runoutcome::missed;
  text why;
  std::optional<mapselection> chosen;
  if (!opened.ok()) {
    const failure f = asinputrefusal(opened.error());
    why = f.what == failure::kind::notice ? refusaltext(f) : f.lines.front();
    if (f.what != failure::kind::notice) refused = runoutcome::damaged;
  } else if (b.maxmaps && static_cast<std::int64_t>(c.maps.size()) > *b.maxmaps) {
    why = inttotext(static_cast<std::int64_t>(c.maps.size())) + u" maps listed, more than --max-maps " +
          inttotext(*b.maxmaps);
  } else if (chosen = choosemaps(b.asked, c.maps, unlistedname::skip); !chosen) {
    why = refusal::badmap;
  }
  if (!chosen) {
    refuseinput(c, input, i, why);
    closeinput(c);
    return refused;
  }

  drawrequest r = b.base;
  r.input = input;
  r.given = i;
  // DIR and the input's folder name are names, not patterns: "%" and "*" in them stay as they are.
  if (!b.dest.empty()) r.folder = b.dest + u"/" + b.folders[i];
  const drawend end = c.run->draw(chosen->names, r, chosen->all);
  closeinput(c);
  if (end.ok()) return runoutcome::done;
  clearprogress();
  if (end.stop->what == failure::kind::fatal) {
    for (const text& line : end.lines()) printerrorline(line);
    return runoutcome::missed;
  }
  printerrorline(inputline(input, end.stop->lines.front()));
  return runoutcome::damaged;
}

runoutcome finishbatch(console& c, batchsetup& b) {
  c.run->finish();
  clearprogress();
  runoutcome outcome = c.run->missed() ? runoutcome::missed : runoutcome::done;
  if (b.gallery) {
    const text path = b.dest + u"/index.html";
    outputfile out = outputfile::open(path, b.base.keep);
    kindfile page{filekind::html, path};
    outputstatus wrote = writegallery(b.galleryentries, b.dest, out);
    page.settle(wrote.ok() ? out.commit() : wrote);
    if (!page.written) {
      sayfailures({writefailedline(path, filekind::html)}, {page}, voice::commandline);
      outcome = runoutcome::missed;
    }
  }
  if (b.manifestpath) outcome = std::max(outcome, finishmanifest(b.manifest, *b.manifestpath));
  return outcome;
}

runend runbatch(const commandline& cl, console& c, const text& fallback) {
  batchsetup b;
  if (std::optional<runend> refused = setupbatch(cl, c, fallback, b)) return *refused;
  runend end;
  for (std::size_t i = 0; i < b.inputs.size(); ++i) end.note(runinput(c, b, i));
  end.note(finishbatch(c, b));
  return end;
}

}  // namespace tracewell

// The batch run: many inputs in one run, a folder per input, a record per map.
#include "app/batchrun.h"

#include <iterator>
#include <list>
#include <vector>

#include "app/batchplan.h"
#include "app/commandline.h"
#include "app/console.h"
#include "app/manifest.h"
#include "app/parallelrun.h"
#include "support/path.h"
#include "support/process.h"
#include "support/terminal.h"

namespace tracewell {

namespace {

constexpr const char16_t* notreached = u"not drawn: an earlier map stopped this input";

[[noreturn]] void refuse(const text& why) {
  printerrorline(u"tracewell: " + why);
  exitprocess(1);
}

// The destination as a folder to join names to: without the separators it ends in, "." for none.
text destfolder(text dest) {
  while (dest.size() > 1 && (dest.back() == u'/' || dest.back() == u'\\')) dest.pop_back();
  return dest.empty() ? text(u".") : dest;
}

// "tracewell: INPUT: WHY", the line of an input that ends early.
text inputline(const text& input, const text& why) {
  text line = u"tracewell: ";
  line.append(printable(input)).append(u": ").append(why);
  return line;
}

}  // namespace

void applylook(const commandline& cl, console& c) {
  if (cl.format) c.formatname = *cl.format;
  c.format = console::getformat(c.formatname);
  if (c.format < 0) refuse(refusal::badformat);
  if (cl.scheme) c.schemename = *cl.scheme;
  c.scheme = c.getscheme(c.schemename);
  if (!c.scheme) refuse(refusal::badscheme);
  if (cl.width) c.width = *cl.width;
  if (cl.height) c.height = *cl.height;
  if (cl.margin) c.margin = *cl.margin;
}

void runbatch(const commandline& cl, console& c, const text& fallback) {
  bool all = false;
  std::vector<text> named;
  for (const text& wanted : cl.maps) {
    const text name = upper(wanted);
    if (name == u"ALL") {
      all = true;
    } else {
      named.push_back(name);
    }
  }
  // A run over a collection draws all of it unless maps are named.
  if (cl.maps.empty()) all = true;
  applylook(cl, c);

  const std::vector<text> inputs = cl.inputs.empty() ? std::vector<text>{fallback} : cl.inputs;
  const std::vector<text> folders = inputfolders(inputs);
  // Below --dest only the file-name part of the settings' pattern counts.
  const text pattern = cl.output ? *cl.output : cl.dest ? patternfilename(c.outputpath) : c.outputpath;
  c.outputpath = pattern;
  drawrequest base = c.request();
  for (const text& input : inputs) {
    if (const auto id = identify(input)) base.keep.push_back(*id);
  }
  base.skipexisting = cl.skipexisting;
  base.census = cl.manifest.has_value();

  // The destination is made first, so that a manifest may be kept in it; one that cannot be shows in each
  // map's failure line.
  if (cl.dest) makefolders(destfolder(*cl.dest));
  manifestwriter manifest;
  if (cl.manifest && !manifest.open(*cl.manifest))
    refuse(u"cannot write the manifest \"" + *cl.manifest + u"\"");

  c.run = std::make_shared<maprun>(nullptr);
  maprun& run = *c.run;
  run.mode = voice::commandline;
  run.printwritten = cl.manifest != text(u"-");
  std::size_t settled = 0;  // records handed on so far, over every input
  std::size_t owed = 0;     // records the inputs before this one give: one per map, one for a refusal
  run.recorded = [&](const mapoutcome& r) {
    ++settled;
    if (cl.manifest) manifest.add(r);
  };
  run.span(mapsinflight(c.width, c.height));

  bool streamfailed = false;
  bool refused = false;
  bool stopped = false;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const text& input = inputs[i];
    // What an input that cannot be drawn at all prints and records, after every map before it.
    const auto refuseinput = [&](const text& why) {
      run.drain();
      clearprogress();
      printerrorline(inputline(input, why));
      mapoutcome r;
      r.input = input;
      r.whole = true;
      r.errors = {why};
      ++owed;
      run.recorded(r);
    };
    const auto closeinput = [&] {
      if (c.wstream) c.wstream->close();
      c.wstream = nullptr;
      c.w = nullptr;
      run.close();  // never more than one input open at once
    };

    const result<const char16_t*> opened = c.tryopen(input);
    if (!opened.ok()) {
      refuseinput(opened.error().lines.front());
      streamfailed = true;
      closeinput();
      continue;
    }
    if (opened.value() != nullptr) {
      refuseinput(opened.value());
      refused = true;
      closeinput();
      continue;
    }
    if (cl.maxmaps && static_cast<std::int64_t>(c.maps.size()) > *cl.maxmaps) {
      refuseinput(inttotext(static_cast<std::int64_t>(c.maps.size())) +
                  u" maps listed, more than --max-maps " + inttotext(*cl.maxmaps));
      refused = true;
      closeinput();
      continue;
    }
    std::list<text> names;
    if (all) {
      names = c.maps;
    } else {
      // Each name this input lists, in the order given; the others belong to other inputs.
      for (const text& name : named) {
        for (const text& m : c.maps) {
          if (upper(m) == name) {
            names.push_back(name);
            break;
          }
        }
      }
    }
    if (names.empty()) {
      refuseinput(refusal::badmap);
      refused = true;
      closeinput();
      continue;
    }

    drawrequest r = base;
    r.input = input;
    if (cl.dest) {
      r.folder = destfolder(*cl.dest) + u"/" + folders[i];
      r.pattern = r.folder + u"/" + pattern;
    }
    const std::size_t before = owed;
    owed += names.size();
    const status s = run.draw(names, r, all);
    if (!s.ok()) {
      // Every map before the one that stopped has been handed on, those of earlier inputs too.
      auto at = names.begin();
      std::advance(at, static_cast<std::ptrdiff_t>(settled - before));
      clearprogress();
      mapoutcome stop;
      stop.input = input;
      stop.name = *at;
      const text& message = s.error().lines.front();
      if (s.error().what == failure::kind::fatal) {
        stop.errors = {message, loadfailedline(*at)};
        for (const text& line : stop.errors) printerrorline(line);
        stopped = true;
      } else {
        printerrorline(inputline(input, message));
        stop.errors = {message};
        streamfailed = true;
      }
      run.recorded(stop);
      for (++at; at != names.end(); ++at) {
        mapoutcome rest;
        rest.input = input;
        rest.name = *at;
        rest.errors = {notreached};
        run.recorded(rest);
      }
    }
    closeinput();
  }
  run.finish();
  clearprogress();
  bool manifestfailed = false;
  if (cl.manifest && !manifest.close()) {
    printerrorline(u"tracewell: cannot write the manifest \"" + *cl.manifest + u"\"");
    manifestfailed = true;
  }
  if (streamfailed) exitprocess(-1);
  exitprocess(refused || stopped || manifestfailed || run.missed() ? 2 : 0);
}

}  // namespace tracewell

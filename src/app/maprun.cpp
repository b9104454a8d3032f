// The output run: each chosen map planned in turn, drawn and written on the ordered pool, reported in map
// order.
#include "app/maprun.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "app/batchplan.h"
#include "app/scheme.h"
#include "render/png.h"
#include "render/pngsize.h"
#include "render/scene.h"
#include "support/tempfile.h"
#include "support/terminal.h"
#include "wad/mapsource.h"
#include "web/mappage.h"
#include "web/svg.h"

namespace tracewell {

namespace {

// One spelling for every path that leads to the same file: the folders and
// any links resolved as far as they exist. Made absolute first, so that a file
// not yet made has the spelling it will have once it exists.
std::string samefilekey(const text& path) {
  std::error_code ec;
  const std::filesystem::path resolved =
      std::filesystem::weakly_canonical(std::filesystem::absolute(nativepath(path), ec), ec);
  return ec ? nativepath(path) : resolved.string();
}

// What draws a map made ready and writes it as a file of a kind to a path.
using mapjob = std::function<outputstatus(filekind kind, const text& path)>;

// The one place a map meets the renderer: its scene, a pixel buffer when a PNG is asked for, and the
// job that draws and writes each kind. Fails for want of memory (the run may try again; an image the
// PNG could not hold is refused for every kind) or with a fatal stop.
result<mapjob> makejob(const std::shared_ptr<const map>& held, const drawrequest& r, const mapoutcome& record,
                       std::size_t cores) {
  const bool png = std::any_of(record.files.begin(), record.files.end(),
                               [](const kindfile& f) { return f.kind == filekind::png; });
  std::shared_ptr<TPixmap> image;
  if (png) {
    image = TPixmap::Create(r.width, r.height, TPixmap::RGBA, 4);
    if (!image) return failure::nomemory(u"the image buffer cannot be allocated");
  } else if (TPixmap::StorageSize(r.width, r.height, TPixmap::RGBA, 4) < 0) {
    return failure::nomemory(u"the image is larger than a picture may be");
  }
  result<scene> made = makescene(*held, r.width, r.height, r.margin, r.look->look);
  if (!made.ok()) return made.error();
  auto drawing = std::make_shared<const scene>(std::move(made).value());
  return mapjob([image = std::move(image), drawing = std::move(drawing), held, facts = record.facts,
                 keep = r.keep, names = svgnames{record.name, r.input}, png = r.png,
                 cores](filekind kind, const text& path) {
    outputfile out = outputfile::open(path, keep);
    const outputstatus written = [&] {
      switch (kind) {
        case filekind::png:
          drawscene(*drawing, *image);
          return WritePNG(*image, out, pnglevel, png, cores);
        case filekind::svg:
          return writesvg(*drawing, names, out);
        case filekind::html:
          return writemappage(*drawing, *held, *facts, names, out);
      }
      return outputstatus{failure::because(failure::reason::nocontent)};
    }();
    return written.ok() ? out.commit() : written;
  });
}

}  // namespace

std::size_t mapsinflight(std::int32_t width, std::int32_t height, pngencoding png) {
  const std::int64_t cores = std::max<std::int64_t>(std::thread::hardware_concurrency(), 1);
  const std::int64_t pixels = std::int64_t{std::max(width, 0)} * std::max(height, 0);
  const std::int64_t perpixel = png == pngencoding::compact ? 5 : 4;
  const std::int64_t fits = pixels > 0 ? inflightbytes / perpixel / pixels : cores;
  const std::int64_t n = std::clamp<std::int64_t>(fits, 1, cores);
  return std::min(static_cast<std::size_t>(n), tempfileguard::maxfiles);
}

mapoutcome guardedjob(mapoutcome record, const std::function<void(mapoutcome&)>& job) {
  bool nomemory = false;
  text thrown;
  try {
    job(record);
    return record;
  } catch (const std::bad_alloc&) {
    nomemory = true;
  } catch (const std::exception& e) {
    thrown = fromutf8(e.what());
  } catch (...) {
    thrown = u"an unknown exception";
  }
  record.status = mapoutcome::state::failed;
  record.errors.push_back(nomemory ? toolargeline(record.width, record.height, record.name)
                                   : u"Failed to output \"" + printable(record.name) + u"\": " +
                                         printable(thrown) + u". Image not outputted.");
  return record;
}

std::vector<text> drawend::lines() const {
  if (!stop) return {};
  const text message = failurelines(*stop).front();
  if (stop->what == failure::kind::fatal) return {message, loadfailedline(map)};
  return {message};
}

maprun::maprun(std::shared_ptr<mapsource> source) : source_(std::move(source)) {}

// The workers end before the source and the settings they were planned from.
maprun::~maprun() = default;

void maprun::open(std::shared_ptr<mapsource> source) {
  source_ = std::move(source);
}

void maprun::close() {
  source_ = nullptr;
}

mapstep maprun::plan(const text& name, const drawrequest& r, bool asked) {
  mapstep step;
  step.record.input = r.input;
  step.record.given = r.given;
  step.record.name = name;
  mapfile file;
  std::optional<pngsize> current;
  if (!placefile(r, file, current, step)) return step;
  const std::shared_ptr<const map> read = readmap(r, asked, step);
  if (!read) return step;
  // An image already drawn from this input is left as it is; the record still says what the map holds,
  // and the size of the image that stays.
  if (current) {
    if (!step.record.facts->bounded.ok()) {
      step.stop = step.record.facts->bounded.error();
      return step;
    }
    step.record.width = current->width;
    step.record.height = current->height;
    step.record.status = mapoutcome::state::skipped;
    return step;
  }
  makeroom(read, r, file, step);
  return step;
}

bool maprun::placefile(const drawrequest& r, mapfile& file, std::optional<pngsize>& current, mapstep& step) {
  file = makemapfile(r.pattern, step.record.name, r.folder, r.literalnames);
  if (!file.toolong()) step.record.output = file.path;
  const filekind main = kindofpath(r.pattern);
  std::vector<kindfile>& files = step.record.files;
  files = {{main, step.record.output}};
  for (const filekind k : r.extra) {
    if (std::any_of(files.begin(), files.end(), [k](const kindfile& f) { return f.kind == k; })) continue;
    // The time in the name is the main file's, so that the files of one map share their names.
    const mapfile further =
        makemapfile(patternfor(r.pattern, k), step.record.name, r.folder, file.stamp, r.literalnames);
    files.push_back({k, further.toolong() ? text() : further.path});
  }
  // A map name such as ".." must not carry its image out of the input's folder: each path as built is
  // checked, whatever pieces made it.
  if (std::any_of(files.begin(), files.end(),
                  [&r](const kindfile& f) { return leavesitsfolder(f.path, r.folder); })) {
    step.lines.push_back(writefailedline(file.path, main));
    missed_ = true;
    return false;
  }
  // With no record to fill, an image already drawn from this input needs nothing read: a nightly
  // rerun of a whole collection then costs a look at each file.
  current = drawnbefore(files, r);
  if (current && !r.census) {
    step.record.width = current->width;
    step.record.height = current->height;
    step.record.status = mapoutcome::state::skipped;
    return false;
  }
  return true;
}

std::optional<pngsize> maprun::drawnbefore(const std::vector<kindfile>& files, const drawrequest& r) const {
  if (!r.skipexisting) return std::nullopt;
  pngsize size{r.width, r.height};
  for (const kindfile& f : files) {
    // Every kind must be there, whole; a file an earlier map of this run wrote is no older run's picture
    // of this map.
    if (f.path.empty() || !uptodate(f.path, r.input) || !complete(f.path, f.kind) ||
        written_.contains(samefilekey(f.path)))
      return std::nullopt;
    if (f.kind == filekind::png) {
      const std::optional<pngsize> header = wholepngsize(f.path);
      if (!header) return std::nullopt;
      size = *header;
    }
  }
  return size;
}

std::shared_ptr<const map> maprun::readmap(const drawrequest& r, bool asked, mapstep& step) {
  const text& name = step.record.name;
  // A page shows every thing, drawn or not, and its counts.
  const bool page = std::any_of(step.record.files.begin(), step.record.files.end(),
                                [](const kindfile& f) { return f.kind == filekind::html; });
  const result<std::shared_ptr<map>> m = source_->loadmap(
      name, r.format, printable(name), r.look->look.things.any() || r.census || r.tally || page);
  if (!m.ok()) {
    if (m.error().what != failure::kind::notice) {
      step.stop = m.error();
      return nullptr;
    }
    step.lines = failurelines(m.error());
    if (const text entry = entryerrorline(m.error()); !entry.empty())
      step.lines.insert(step.lines.begin(), entry);
    step.lines.push_back(loadfailedline(name));
    if (asked || source_->isrealmap(name)) missed_ = true;
    return nullptr;
  }
  step.record.width = r.width;
  step.record.height = r.height;
  step.record.facts = factsof(*m.value(), r.census || r.tally || page);
  return m.value();
}

bool maprun::makeroom(const std::shared_ptr<const map>& read, const drawrequest& r, const mapfile& file,
                      mapstep& step) {
  // No more buffers than maps in flight.
  const auto handover = [this](mapoutcome& done) { deliver(done); };
  if (pool_) pool_->makeroom(handover);
  result<mapjob> made = makejob(read, r, step.record, cores_);
  // The maps in flight may hold the memory this one needs: once they are done it may fit.
  if (!made.ok() && made.error().what == failure::kind::nomemory && pool_ && pool_->pending() > 0) {
    pool_->drain(handover);
    made = makejob(read, r, step.record, cores_);
  }
  if (!made.ok()) {
    if (made.error().what != failure::kind::nomemory) {
      step.stop = made.error();
    } else {
      step.lines.push_back(toolargeline(r.width, r.height, step.record.name));
      missed_ = true;
    }
    return false;
  }
  // A silent failure would look like success; the writer keeps any older file.
  if (file.toolong()) {
    step.unbuildable = file;
    missed_ = true;
    return false;
  }
  // Only the folders the pattern names below the input's folder are made; one that cannot be shows as the
  // write's failure.
  if (!r.folder.empty()) makefolders(directorypart(file.path));
  step.job = [write = std::move(made).value(), record = step.record] {
    return guardedjob(record, [&write](mapoutcome& done) {
      bool every = true;
      for (kindfile& f : done.files) {
        f.settle(write(f.kind, f.path));
        if (!f.written) done.errors.push_back(writefailedline(f.path, f.kind));
        every = every && f.written;
      }
      if (every) done.status = mapoutcome::state::written;
    });
  };
  return true;
}

drawend maprun::draw(const std::list<text>& names, const drawrequest& r, bool all) {
  const std::size_t wide = inflight > 0 ? inflight : mapsinflight(r.width, r.height, r.png);
  if (!spanning_) startpool(std::clamp<std::size_t>(names.size(), 1, wide));
  const auto handover = [this](mapoutcome& done) { deliver(done); };
  std::size_t turn = 0;
  for (auto at = names.begin(); at != names.end(); ++at) {
    if (all) {
      showprogress(printable(*at) + u"  " + inttotext(static_cast<std::int64_t>(++turn)) + u"/" +
                   inttotext(static_cast<std::int64_t>(names.size())));
    }
    mapstep step = plan(*at, r, !all);
    if (step.job) {
      // Two maps written to one file, of any kind, are written whole one after the other, so
      // the file ends as the later one leaves it.
      std::vector<std::string> targets;
      for (const kindfile& f : step.record.files) targets.push_back(samefilekey(f.path));
      const auto shared = [&targets](const std::vector<std::string>& job) {
        return std::find_first_of(job.begin(), job.end(), targets.begin(), targets.end()) != job.end();
      };
      if (std::any_of(writing_.begin(), writing_.end(), shared)) pool_->drain(handover);
      if (r.skipexisting) written_.insert(targets.begin(), targets.end());
      writing_.push_back(std::move(targets));
      pool_->submit(std::move(step.job), handover);
      continue;
    }
    // What a map prints waits for every map before it.
    pool_->drain(handover);
    if (step.stop) {
      if (!spanning_) pool_.reset();  // the workers are gone before the process may end
      drawend end{std::move(step.stop), *at};
      recordstop(end, std::next(at), names.end(), r);
      return end;
    }
    print(step, r);
  }
  if (!spanning_) {
    pool_->drain(handover);
    pool_.reset();
  }
  return {};
}

void maprun::recordstop(const drawend& end, std::list<text>::const_iterator after,
                        std::list<text>::const_iterator last, const drawrequest& r) {
  if (!recorded) return;
  mapoutcome stopped;
  stopped.input = r.input;
  stopped.given = r.given;
  stopped.name = end.map;
  stopped.errors = end.lines();
  recorded(stopped);
  for (; after != last; ++after) {
    mapoutcome rest;
    rest.input = r.input;
    rest.given = r.given;
    rest.name = *after;
    rest.errors = {notreached};
    recorded(rest);
  }
}

void maprun::span(std::size_t wide) {
  startpool(std::max<std::size_t>(inflight > 0 ? inflight : wide, 1));
  spanning_ = true;
}

void maprun::startpool(std::size_t wide) {
  pool_.emplace(wide);
  // The machine's cores shared out among the maps in flight: an encoder spreads over its map's share.
  cores_ = std::max<std::size_t>(std::thread::hardware_concurrency() / wide, 1);
}

void maprun::drain() {
  if (pool_) pool_->drain([this](mapoutcome& done) { deliver(done); });
}

void maprun::finish() {
  drain();
  pool_.reset();
  spanning_ = false;
}

void maprun::print(const mapstep& step, const drawrequest& r) {
  for (const text& line : step.lines) sayline(line, mode);
  if (step.unbuildable) printfailedwrite(r.pattern, *step.unbuildable, mode, kindofpath(r.pattern));
  mapoutcome record = step.record;
  record.errors = step.lines;
  if (recorded) recorded(record);
}

void maprun::deliver(mapoutcome& done) {
  writing_.pop_front();  // results come back in the order the jobs went in
  // The command line lists what it wrote, main kind first, so its output can feed other tools: one line
  // a file, whatever bytes the input's name brought into it.
  for (const kindfile& f : done.files) {
    if (f.written && mode == voice::commandline && printwritten) printplainline(printable(f.path));
  }
  if (done.status != mapoutcome::state::written) {
    sayfailures(done.errors, done.files, mode);
    missed_ = true;
  }
  if (recorded) recorded(done);
}

}  // namespace tracewell

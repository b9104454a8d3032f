// The output run: each chosen map planned in turn, drawn and written on the ordered pool, reported in map
// order.
#include "app/maprun.h"

#include <algorithm>
#include <exception>
#include <new>
#include <nlohmann/json.hpp>
#include <thread>
#include <utility>

#include "app/batchplan.h"
#include "app/diffrecord.h"
#include "app/scheme.h"
#include "game/mapdiff.h"
#include "render/diffscene.h"
#include "render/scene.h"
#include "support/tempfile.h"
#include "support/terminal.h"
#include "wad/mapsource.h"

namespace tracewell {

namespace {

// The one place a map meets the renderer: its scene (of the map, or of what changed), and a pixel buffer
// when a PNG is asked for. Fails for want of memory (the run may try again; an image the PNG could not
// hold is refused for every kind of a drawing) or as the scene does.
result<mapdocument> makedocument(const mapread& read, const drawrequest& r, const mapoutcome& record,
                                 std::size_t cores) {
  const bool png = std::any_of(record.files.begin(), record.files.end(),
                               [](const kindfile& f) { return f.kind == filekind::png; });
  mapdocument doc;
  doc.held = read.held;
  doc.older = read.older;
  doc.diff = read.diff;
  doc.facts = record.facts;
  doc.findings = record.findings;
  doc.names = svgnames{record.name, r.input};
  doc.png = r.png;
  doc.cores = cores;
  if (png) {
    doc.image = TPixmap::Create(r.width, r.height, TPixmap::RGBA, 4);
    if (!doc.image) return failure::nomemory(u"the image buffer cannot be allocated");
  } else if (r.work != mapwork::diff && TPixmap::StorageSize(r.width, r.height, TPixmap::RGBA, 4) < 0) {
    return failure::nomemory(u"the image is larger than a picture may be");
  }
  result<scene> made = [&] {
    switch (r.work) {
      case mapwork::draw:
      case mapwork::check:
        return makescene(*read.held, r.width, r.height, r.margin, r.look->look);
      case mapwork::diff:
        return makediffscene(*read.older, *read.held, *read.diff, r.width, r.height, r.margin, r.look->look,
                             r.crop);
    }
    return result<scene>(failure::because(failure::reason::nocontent));
  }();
  if (!made.ok()) return made.error();
  doc.drawing = std::make_shared<const scene>(std::move(made).value());
  return doc;
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

void maprun::compare(revision older, revision newer) {
  source_ = newer.source;
  older_ = std::move(older);
  newer_ = std::move(newer);
}

void maprun::close() {
  source_ = nullptr;
}

mapstep maprun::plan(const text& name, const drawrequest& r, bool asked) {
  mapstep step;
  step.record.input = r.input;
  step.record.given = r.given;
  step.record.name = name;
  std::optional<placedfiles> placed;
  std::optional<pngsize> current;
  if (r.pictures) {
    placed = mapfiles::place(r, name);
    if (!placefiles(r, *placed, current, step)) return step;
  }
  mapread read;
  switch (r.work) {
    case mapwork::draw:
      read = readmap(r, asked, step);
      break;
    case mapwork::diff:
      read = readdiff(r, step);
      break;
    case mapwork::check:
      read = readcheck(r, asked, step);
      break;
  }
  if (!read.held) return step;
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
  makeroom(read, r, placed->main, step);
  return step;
}

bool maprun::placefiles(const drawrequest& r, const placedfiles& placed, std::optional<pngsize>& current,
                        mapstep& step) {
  step.record.output = placed.files.front().path;
  step.record.files = placed.files;
  if (placed.escapes) {
    step.lines.push_back(writefailedline(placed.main.path, placed.files.front().kind));
    missed_ = true;
    return false;
  }
  // With no record to fill, an image already drawn from this input needs nothing read: a nightly
  // rerun of a whole collection then costs a look at each file.
  current = files_.drawnbefore(placed.files, r);
  if (current && !r.census) {
    step.record.width = current->width;
    step.record.height = current->height;
    step.record.status = mapoutcome::state::skipped;
    return false;
  }
  return true;
}

mapread maprun::readmap(const drawrequest& r, bool asked, mapstep& step) {
  const text& name = step.record.name;
  // A page shows every thing, drawn or not, and its counts.
  const bool page = std::any_of(step.record.files.begin(), step.record.files.end(),
                                [](const kindfile& f) { return f.kind == filekind::html; });
  const bool check = r.work == mapwork::check;
  const result<std::shared_ptr<map>> m = source_->loadmap(
      name, r.format, printable(name), r.look->look.things.any() || r.census || r.tally || page || check);
  if (!m.ok()) {
    if (m.error().what != failure::kind::notice) {
      step.stop = m.error();
      return {};
    }
    step.lines = failurelines(m.error());
    if (const text entry = entryerrorline(m.error()); !entry.empty())
      step.lines.insert(step.lines.begin(), entry);
    step.lines.push_back(loadfailedline(name));
    if (asked || source_->isrealmap(name)) missed_ = true;
    return {};
  }
  step.record.width = r.width;
  step.record.height = r.height;
  const map& held = *m.value();
  step.record.facts = factsof(held, r.census || r.tally || page);
  if (check || r.tally || page) {
    step.record.findings =
        std::make_shared<const std::vector<finding>>(checkmap(held, sectoroutlines(held), r.severities));
  }
  return {m.value(), nullptr, nullptr};
}

mapread maprun::readcheck(const drawrequest& r, bool asked, mapstep& step) {
  mapread read = readmap(r, asked, step);
  if (!read.held || r.pictures) return read;
  // A map that stops the run stops it whether or not it is drawn.
  if (!step.record.facts->bounded.ok()) {
    step.stop = step.record.facts->bounded.error();
    return {};
  }
  step.record.status = mapoutcome::state::checked;
  step.record.output.clear();
  return {};
}

mapread maprun::readdiff(const drawrequest& r, mapstep& step) {
  mapoutcome& record = step.record;
  record.oldinput = older_->path;
  const auto was = older_->load(record.name, r.format, step.lines, step.stop);
  const auto is = was ? newer_->load(record.name, r.format, step.lines, step.stop) : std::nullopt;
  if (step.stop) return {};
  if (!was || !is) {
    step.lines.push_back(loadfailedline(record.name));
    missed_ = true;
    return {};
  }
  auto changes = std::make_shared<const mapdiff>(diffmaps(**was, **is));
  // The record's map fields are the newer version's, when it has the map.
  if (newer_->listed(record.name)) {
    record.width = r.width;
    record.height = r.height;
    record.facts = factsof(**is, r.census);
  }
  record.diff = std::make_shared<const nlohmann::ordered_json>(diffjson(*changes, **was, **is));
  record.summary = summaryline(printable(record.name), *changes);
  if (changes->empty()) {
    record.status = mapoutcome::state::unchanged;
    record.output.clear();
    record.files.clear();
    return {};
  }
  return {*is, *was, std::move(changes)};
}

bool maprun::makeroom(const mapread& read, const drawrequest& r, const mapfile& file, mapstep& step) {
  // No more buffers than maps in flight.
  const auto handover = [this](mapoutcome& done) { deliver(done); };
  if (pool_) pool_->makeroom(handover);
  result<mapdocument> made = makedocument(read, r, step.record, cores_);
  // The maps in flight may hold the memory this one needs: once they are done it may fit.
  if (!made.ok() && made.error().what == failure::kind::nomemory && pool_ && pool_->pending() > 0) {
    pool_->drain(handover);
    made = makedocument(read, r, step.record, cores_);
  }
  if (!made.ok()) {
    if (made.error().what == failure::kind::nomemory) {
      step.lines.push_back(toolargeline(r.width, r.height, step.record.name));
      missed_ = true;
    } else if (r.work == mapwork::diff) {
      // A diff goes on past a map it cannot draw, as past one it cannot read.
      step.lines = made.error().lines;
      step.lines.push_back(loadfailedline(step.record.name));
      missed_ = true;
    } else {
      step.stop = made.error();
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
  step.job = [doc = std::move(made).value(), keep = r.keep, record = step.record] {
    return guardedjob(record, [&](mapoutcome& done) { writemapfiles(doc, keep, done); });
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
      if (files_.inflight(step.record.files)) pool_->drain(handover);
      files_.claim(step.record.files, r.skipexisting);
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
  saysummary(step.record);
  for (const text& line : step.lines) sayline(line, mode);
  if (step.unbuildable) printfailedwrite(r.pattern, *step.unbuildable, mode, kindofpath(r.pattern));
  mapoutcome record = step.record;
  record.errors = step.lines;
  if (recorded) recorded(record);
}

void maprun::saysummary(const mapoutcome& record) const {
  if (!record.summary.empty() && printwritten) printplainline(record.summary);
}

void maprun::deliver(mapoutcome& done) {
  files_.release();
  saysummary(done);
  // The command line lists what it wrote, main kind first, so its output can feed other tools: one line
  // a file, whatever bytes the input's name brought into it.
  for (const kindfile& f : done.files) {
    if (f.written && mode == voice::commandline && printwritten) printplainline(printable(f.path));
  }
  if (done.status != mapoutcome::state::written && done.status != mapoutcome::state::unchanged) {
    sayfailures(done.errors, done.files, mode);
    missed_ = true;
  }
  if (recorded) recorded(done);
}

}  // namespace tracewell

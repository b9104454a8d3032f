// The output run: each chosen map planned in turn, drawn and written on the ordered pool, reported in map
// order.
#include "app/maprun.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "app/batchplan.h"
#include "app/parallelrun.h"
#include "app/scheme.h"
#include "render/automap.h"
#include "render/png.h"
#include "support/terminal.h"
#include "wad/mapsource.h"

namespace tracewell {

namespace {

// One spelling for every path that leads to the same file: the folders and
// any links resolved as far as they exist.
std::string samefilekey(const text& path) {
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(nativepath(path), ec);
  return ec ? nativepath(path) : resolved.string();
}

}  // namespace

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
  step.record.name = name;
  const mapfile file = makemapfile(r.pattern, name);
  if (!file.toolong()) step.record.output = file.path;
  // A map name such as ".." must not carry its image out of the input's folder.
  if (!r.folder.empty() && !file.toolong() &&
      leavesfolder(file.path.substr(std::min(file.path.size(), r.folder.size() + 1)))) {
    step.lines.push_back(writefailedline(file.path));
    missed_ = true;
    return step;
  }

  // With no record to fill, an image already drawn from this input needs nothing read: a nightly
  // rerun of a whole collection then costs a look at each file.
  const bool drawn = r.skipexisting && !file.toolong() && uptodate(file.path, r.input);
  if (drawn && !r.census) {
    step.record.status = mapoutcome::state::skipped;
    return step;
  }

  const result<std::shared_ptr<map>> m =
      source_->loadmap(name, r.format, printable(name), r.look->things.any() || r.census);
  if (!m.ok()) {
    if (m.error().what != failure::kind::notice) {
      step.stop = m.error();
      return step;
    }
    step.lines = m.error().lines;
    if (const text entry = entryerrorline(m.error()); !entry.empty())
      step.lines.insert(step.lines.begin(), entry);
    step.lines.push_back(loadfailedline(name));
    if (asked || source_->isrealmap(name)) missed_ = true;
    return step;
  }
  const map& read = *m.value();
  step.record.layout = read.layout;
  step.record.width = r.width;
  step.record.height = r.height;
  step.record.linedefs = read.linedefs.size();
  step.record.fractionbits = read.fractionbits;
  if (read.things) step.record.things = static_cast<std::int64_t>(read.things->size()) + read.unplacedthings;
  if (r.census) step.record.census = takecensus(read);

  // An image already drawn from this input is left as it is; the record still says what the map holds.
  if (drawn) {
    result<preparedmap> bounds = preparemap(read, r.width, r.height, r.margin, r.look->background,
                                            r.look->colors, r.look->order, r.look->actionspecial);
    if (bounds.ok()) {
      const preparedmap& p = bounds.value();
      step.record.bounds = {p.leastx, p.leasty, p.greatestx, p.greatesty};
      step.record.status = mapoutcome::state::skipped;
      return step;
    }
    if (bounds.error().what != failure::kind::nomemory) {
      step.stop = bounds.error();
      return step;
    }
  }

  // No more buffers than maps in flight.
  const auto handover = [this](mapoutcome& done) { deliver(done); };
  if (pool_) pool_->makeroom(handover);
  std::shared_ptr<TPixmap> image;
  result<preparedmap> prepared = failure::nomemory({});
  const auto make = [&] {
    image = TPixmap::Create(r.width, r.height, TPixmap::RGBA, 4);
    prepared = image ? preparemap(read, r.width, r.height, r.margin, r.look->background, r.look->colors,
                                  r.look->order, r.look->actionspecial, r.look->style, r.look->fallback,
                                  r.look->things)
                     : failure::nomemory(u"the image buffer cannot be allocated");
  };
  make();
  // The maps in flight may hold the memory this one needs: once they are done it may fit.
  if (!prepared.ok() && prepared.error().what == failure::kind::nomemory && pool_ && pool_->pending() > 0) {
    image = nullptr;
    pool_->drain(handover);
    make();
  }
  if (!prepared.ok()) {
    if (prepared.error().what != failure::kind::nomemory) {
      step.stop = prepared.error();
    } else {
      step.lines.push_back(toolargeline(r.width, r.height, name));
      missed_ = true;
    }
    return step;
  }
  const preparedmap& p = prepared.value();
  step.record.bounds = {p.leastx, p.leasty, p.greatestx, p.greatesty};
  // A silent failure would look like success; the writer keeps any older file.
  if (file.toolong()) {
    step.unbuildable = file;
    missed_ = true;
    return step;
  }
  // Only the folders the pattern names below the input's folder are made; one that cannot be shows as the
  // write's failure.
  if (!r.folder.empty()) makefolders(directorypart(file.path));
  auto lines = std::make_shared<const preparedmap>(std::move(prepared).value());
  step.job = [image = std::move(image), lines = std::move(lines), record = step.record,
              keep = r.keep]() mutable {
    drawprepared(*lines, *image);
    if (WritePNG(*image, record.output, pnglevel, keep).ok()) {
      record.status = mapoutcome::state::written;
    } else {
      record.errors.push_back(writefailedline(record.output));
    }
    return record;
  };
  return step;
}

status maprun::draw(const std::list<text>& names, const drawrequest& r, bool all) {
  const std::size_t wide = inflight > 0 ? inflight : mapsinflight(r.width, r.height);
  if (!spanning_) pool_.emplace(std::clamp<std::size_t>(names.size(), 1, wide));
  const auto handover = [this](mapoutcome& done) { deliver(done); };
  std::size_t turn = 0;
  for (const text& name : names) {
    if (all) {
      showprogress(printable(name) + u"  " + inttotext(static_cast<std::int64_t>(++turn)) + u"/" +
                   inttotext(static_cast<std::int64_t>(names.size())));
    }
    mapstep step = plan(name, r, !all);
    if (step.job) {
      // Two maps written to one file are written whole one after the other, so
      // the file ends as the later one leaves it.
      std::string target = samefilekey(step.record.output);
      if (std::find(writing_.begin(), writing_.end(), target) != writing_.end()) pool_->drain(handover);
      writing_.push_back(std::move(target));
      pool_->submit(std::move(step.job), handover);
      continue;
    }
    // What a map prints waits for every map before it.
    pool_->drain(handover);
    if (step.stop) {
      if (!spanning_) pool_.reset();  // the workers are gone before the process may end
      return *step.stop;
    }
    print(step, r);
  }
  if (!spanning_) {
    pool_->drain(handover);
    pool_.reset();
  }
  return {};
}

void maprun::span(std::size_t wide) {
  pool_.emplace(std::max<std::size_t>(inflight > 0 ? inflight : wide, 1));
  spanning_ = true;
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
  if (step.unbuildable)
    printfailedwrite(r.pattern, step.unbuildable->filledname, step.unbuildable->stamp, mode);
  mapoutcome record = step.record;
  record.errors = step.lines;
  if (recorded) recorded(record);
}

void maprun::deliver(mapoutcome& done) {
  writing_.pop_front();  // results come back in the order the jobs went in
  if (done.status == mapoutcome::state::written) {
    // The command line lists what it wrote, so its output can feed other tools: one line a file,
    // whatever bytes the input's name brought into it.
    if (mode == voice::commandline && printwritten) printplainline(printable(done.output));
  } else {
    for (const text& line : done.errors) sayline(line, mode);
    missed_ = true;
  }
  if (recorded) recorded(done);
}

}  // namespace tracewell

// A map's files: where each goes (the pattern, --extra, the name rules, the skip rule), which maps in flight
// share one, and the writing of each through its kind's writer.
#include "app/mapfiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/maprun.h"
#include "render/scene.h"
#include "support/outputfile.h"
#include "web/diffpage.h"
#include "web/mappage.h"

// A kind of file without a writer in writeone's switch must not build.
#pragma GCC diagnostic error "-Wswitch"

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

std::vector<std::string> keysof(const std::vector<kindfile>& files) {
  std::vector<std::string> keys;
  keys.reserve(files.size());
  for (const kindfile& f : files) keys.push_back(samefilekey(f.path));
  return keys;
}

// Writes `doc` as a file of kind `k` into `out`; a new kind is one more case.
outputstatus writeone(filekind k, const mapdocument& doc, outputfile& out) {
  switch (k) {
    case filekind::png:
      drawscene(*doc.drawing, *doc.image);
      return WritePNG(*doc.image, out, pnglevel, doc.png, doc.cores);
    case filekind::svg:
      return writesvg(*doc.drawing, doc.names, out);
    case filekind::html:
      if (doc.diff) return writediffpage(*doc.drawing, *doc.older, *doc.held, *doc.diff, doc.names, out);
      return writemappage(*doc.drawing, *doc.held, *doc.facts, doc.findings.get(), doc.names, out);
  }
  return outputstatus{failure::because(failure::reason::nocontent)};
}

}  // namespace

placedfiles mapfiles::place(const drawrequest& r, const text& name) {
  placedfiles placed;
  placed.main = makemapfile(r.pattern, name, r.folder, r.literalnames);
  placed.files = {{kindofpath(r.pattern), placed.main.toolong() ? text() : placed.main.path}};
  for (const filekind k : r.extra) {
    if (std::any_of(placed.files.begin(), placed.files.end(), [k](const kindfile& f) { return f.kind == k; }))
      continue;
    const mapfile further =
        makemapfile(patternfor(r.pattern, k), name, r.folder, placed.main.stamp, r.literalnames);
    placed.files.push_back({k, further.toolong() ? text() : further.path});
  }
  // A map name such as ".." must not carry its image out of the input's folder: each path as built is
  // checked, whatever pieces made it.
  placed.escapes = std::any_of(placed.files.begin(), placed.files.end(),
                               [&r](const kindfile& f) { return leavesitsfolder(f.path, r.folder); });
  return placed;
}

std::optional<pngsize> mapfiles::drawnbefore(const std::vector<kindfile>& files, const drawrequest& r) const {
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

bool mapfiles::inflight(const std::vector<kindfile>& files) const {
  const std::vector<std::string> targets = keysof(files);
  return std::any_of(writing_.begin(), writing_.end(), [&targets](const std::vector<std::string>& job) {
    return std::find_first_of(job.begin(), job.end(), targets.begin(), targets.end()) != job.end();
  });
}

void mapfiles::claim(const std::vector<kindfile>& files, bool skipexisting) {
  std::vector<std::string> targets = keysof(files);
  if (skipexisting) written_.insert(targets.begin(), targets.end());
  writing_.push_back(std::move(targets));
}

void mapfiles::release() {
  writing_.pop_front();
}

void writemapfiles(const mapdocument& doc, const std::vector<fileid>& keep, mapoutcome& record) {
  bool every = true;
  for (kindfile& f : record.files) {
    outputfile out = outputfile::open(f.path, keep);
    const outputstatus written = writeone(f.kind, doc, out);
    f.settle(written.ok() ? out.commit() : written);
    if (!f.written) record.errors.push_back(writefailedline(f.path, f.kind));
    every = every && f.written;
  }
  if (every) record.status = mapoutcome::state::written;
}

}  // namespace tracewell

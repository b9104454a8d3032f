// Archive bombs: ZIP archives that inflate to gigabytes or hold many maps, read through the map source.
#include "archivebombs.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "render/automap.h"
#include "render/png.h"
#include "stopwatch.h"
#include "wad/lumplayout.h"
#include "wad/mapsource.h"

namespace tracewell::bench {

namespace {

using bytes = std::vector<unsigned char>;

// An entry's data as bytes and runs of zeros, so that gigabytes are never in memory.
struct piece {
  bytes data;
  std::uint64_t zeros = 0;  // zero bytes after `data`
};
using pieces = std::vector<piece>;

// Zeros are deflated a chunk at a time, each chunk on its own: the deflated
// chunk then stands for every chunk of a long run, and 2 GiB deflates as
// fast as 16 MiB does.
constexpr std::size_t zerochunk = std::size_t{16} << 20;
constexpr int pnglevel = 5;

void put(bytes& out, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::uint64_t length(const pieces& data) {
  std::uint64_t n = 0;
  for (const piece& p : data) n += p.data.size() + p.zeros;
  return n;
}

// Raw deflate (no zlib header) at the best compression. Each call starts
// afresh and ends on a byte boundary, so that the outputs of calls, laid one
// after another and closed by `last`, make one valid stream.
class deflater {
 public:
  deflater() { deflateInit2(&z_, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY); }
  ~deflater() { deflateEnd(&z_); }
  deflater(const deflater&) = delete;
  deflater& operator=(const deflater&) = delete;

  bytes segment(const unsigned char* in, std::size_t n, bool last = false) {
    deflateReset(&z_);
    bytes out;
    unsigned char buffer[1 << 16];
    z_.next_in = const_cast<unsigned char*>(in);
    z_.avail_in = static_cast<uInt>(n);
    do {
      z_.next_out = buffer;
      z_.avail_out = sizeof buffer;
      deflate(&z_, last ? Z_FINISH : Z_SYNC_FLUSH);
      out.insert(out.end(), buffer, buffer + (sizeof buffer - z_.avail_out));
    } while (z_.avail_out == 0);
    return out;
  }

 private:
  z_stream z_{};
};

struct deflated {
  bytes data;
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
};

deflated deflatepieces(const pieces& data) {
  deflater z;
  deflated d;
  const bytes zeros(zerochunk, 0);
  const bytes chunk = z.segment(zeros.data(), zeros.size());
  const uLong chunkcrc = crc32(0, zeros.data(), static_cast<uInt>(zeros.size()));
  uLong crc = crc32(0, nullptr, 0);
  const auto add = [&d](const bytes& b) { d.data.insert(d.data.end(), b.begin(), b.end()); };
  for (const piece& p : data) {
    add(z.segment(p.data.data(), p.data.size()));
    // A null buffer would restart the CRC.
    if (!p.data.empty()) crc = crc32(crc, p.data.data(), static_cast<uInt>(p.data.size()));
    for (std::uint64_t left = p.zeros; left > 0;) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, zerochunk));
      if (n == zerochunk) {
        add(chunk);
        crc = crc32_combine(crc, chunkcrc, static_cast<z_off_t>(n));
      } else {
        add(z.segment(zeros.data(), n));
        crc = crc32(crc, zeros.data(), static_cast<uInt>(n));
      }
      left -= n;
    }
  }
  add(z.segment(nullptr, 0, true));
  d.crc = static_cast<std::uint32_t>(crc);
  d.size = length(data);
  return d;
}

// A ZIP archive of deflated entries, without ZIP64: every size and offset
// here stays below 4 GiB.
bytes zipof(const std::vector<std::pair<std::string, pieces>>& entries) {
  bytes out, central;
  const auto header = [](bytes& b, const std::string& name, const deflated& d) {
    put(b, 20, 2);    // version needed: deflate
    put(b, 0, 2);     // flags
    put(b, 8, 2);     // method: deflate
    put(b, 0, 2);     // time
    put(b, 0x21, 2);  // date: 1 January 1980
    put(b, d.crc, 4);
    put(b, d.data.size(), 4);
    put(b, d.size, 4);
    put(b, name.size(), 2);
    put(b, 0, 2);  // extra field length
  };
  for (const auto& [name, data] : entries) {
    const deflated d = deflatepieces(data);
    const std::uint64_t offset = out.size();
    put(out, 0x04034b50, 4);
    header(out, name, d);
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), d.data.begin(), d.data.end());
    put(central, 0x02014b50, 4);
    put(central, 20, 2);  // made by
    header(central, name, d);
    put(central, 0, 2);  // comment length
    put(central, 0, 2);  // disk
    put(central, 0, 2);  // internal attributes
    put(central, 0, 4);  // external attributes
    put(central, offset, 4);
    central.insert(central.end(), name.begin(), name.end());
  }
  const std::uint64_t start = out.size();
  out.insert(out.end(), central.begin(), central.end());
  put(out, 0x06054b50, 4);
  put(out, 0, 4);  // this disk, the directory's disk
  put(out, entries.size(), 2);
  put(out, entries.size(), 2);
  put(out, central.size(), 4);
  put(out, start, 4);
  put(out, 0, 2);  // comment length
  return out;
}

// A WAD's lumps: a name and its data.
struct lumpdata {
  std::string name;
  piece data;
};

// A PWAD of `lumps` in order, its directory after them.
pieces wadof(const std::vector<lumpdata>& lumps) {
  using namespace wadformat;
  pieces out(1);
  put(out[0].data, 0x44415750, 4);  // "PWAD"
  put(out[0].data, lumps.size(), 4);
  std::uint64_t at = header::bytes;
  bytes directory;
  for (const lumpdata& l : lumps) {
    out.push_back(l.data);
    put(directory, at, 4);
    put(directory, l.data.data.size() + l.data.zeros, 4);
    std::string name = l.name;
    name.resize(namesize, '\0');
    directory.insert(directory.end(), name.begin(), name.end());
    at += l.data.data.size() + l.data.zeros;
  }
  put(out[0].data, at, 4);
  out.push_back({std::move(directory), 0});
  return out;
}

bool writefile(const std::filesystem::path& path, const pieces& data) {
  std::ofstream out(path, std::ios::binary);
  const bytes zeros(zerochunk, 0);
  for (const piece& p : data) {
    out.write(reinterpret_cast<const char*>(p.data.data()), static_cast<std::streamsize>(p.data.size()));
    for (std::uint64_t left = p.zeros; left > 0;) {
      const std::uint64_t n = std::min<std::uint64_t>(left, zeros.size());
      out.write(reinterpret_cast<const char*>(zeros.data()), static_cast<std::streamsize>(n));
      left -= n;
    }
  }
  return static_cast<bool>(out.flush());
}

bytes filebytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One ALL run as the tool makes it: the input opened, its names listed, and
// every name loaded and, when it is a map, drawn and written to `outdir`. An
// archive is opened as openmapsource opens one, so that what it inflated shows.
struct allrun {
  double ms = 0;
  std::size_t names = 0, drawn = 0;
  std::uint64_t inflated = 0;
  std::string error;
};

allrun runall(const std::filesystem::path& input, bool iszip, std::int32_t size, std::int32_t margin,
              const std::filesystem::path& outdir) {
  allrun run;
  stopwatch clock;
  std::shared_ptr<archive> zip;
  std::shared_ptr<mapsource> source;
  if (iszip) {
    result<std::shared_ptr<archive>> opened = archive::openfile(fromutf8(input.string()));
    if (opened.ok()) zip = std::move(opened).value();
    if (zip) source = archivemapsource(zip);
  } else {
    result<std::shared_ptr<mapsource>> opened = openmapsource(fromutf8(input.string()));
    if (opened.ok()) source = std::move(opened).value();
  }
  if (!source) {
    run.error = "cannot open " + input.string();
    return run;
  }
  for (const text& name : source->getmapnames()) {
    ++run.names;
    const result<std::shared_ptr<map>> m = source->loadmap(name, wad::DOOM, name);
    if (!m.ok()) continue;
    const result<std::unique_ptr<TPixmap>> drawn = render(*m.value(), size, size, margin, black, {}, {}, 0);
    if (!drawn.ok() || !drawn.value() ||
        !WritePNG(*drawn.value(), fromutf8((outdir / (tobytes(name) + ".png")).string()), pnglevel).ok()) {
      run.error = "cannot draw or write " + tobytes(name);
      return run;
    }
    ++run.drawn;
  }
  run.ms = clock.lap();
  if (zip) run.inflated = zip->inflated();
  return run;
}

// The archive's run against the plain WAD's, in alternating order, each time the least of `rounds`.
allcost compare(const std::filesystem::path& zip, const std::filesystem::path& plain, std::int32_t size,
                std::int32_t margin, const std::filesystem::path& folder, int rounds) {
  allcost cost;
  cost.archivebytes = std::filesystem::file_size(zip);
  const std::filesystem::path outs[2] = {folder / "fromzip", folder / "fromwad"};
  for (const auto& out : outs) std::filesystem::create_directories(out);
  for (int round = 0; round < std::max(rounds, 1); ++round) {
    allrun runs[2];
    for (int turn = 0; turn < 2; ++turn) {
      const int which = (round + turn) % 2;
      runs[which] = runall(which == 0 ? zip : plain, which == 0, size, margin, outs[which]);
    }
    for (const allrun& r : runs) {
      if (!r.error.empty()) cost.error = r.error;
    }
    if (!cost.error.empty()) break;
    cost.archivems = round == 0 ? runs[0].ms : std::min(cost.archivems, runs[0].ms);
    cost.plainms = round == 0 ? runs[1].ms : std::min(cost.plainms, runs[1].ms);
    cost.names = runs[0].names;
    cost.drawn = runs[0].drawn;
    cost.inflated = runs[0].inflated;
    cost.same = cost.same && runs[0].names == runs[1].names && runs[0].drawn == runs[1].drawn;
  }
  std::size_t files = 0;
  for (const auto& file : std::filesystem::directory_iterator(outs[1])) {
    ++files;
    cost.same = cost.same && filebytes(file.path()) == filebytes(outs[0] / file.path().filename());
  }
  cost.same = cost.same &&
              files == static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(outs[0]),
                                                              std::filesystem::directory_iterator()));
  for (const auto& out : outs) std::filesystem::remove_all(out);
  return cost;
}

}  // namespace

bombcost runbomblisting(const std::string& folder, int rounds) {
  bombcost cost;
  cost.entrybytes = std::uint64_t{1} << 31;
  const std::filesystem::path path = std::filesystem::path(folder) / "bomb.zip";
  if (!writefile(path, {{zipof({{"x.wad", {{{}, cost.entrybytes}}}}), 0}})) {
    cost.error = "cannot write " + path.string();
    return cost;
  }
  cost.archivebytes = std::filesystem::file_size(path);
  for (int round = 0; round < std::max(rounds, 1); ++round) {
    stopwatch clock;
    result<std::shared_ptr<archive>> zip = archive::openfile(fromutf8(path.string()));
    if (!zip.ok()) {
      cost.error = "cannot open " + path.string() + " as an archive";
      break;
    }
    const std::size_t names = archivemapsource(zip.value())->getmapnames().size();
    const double ms = clock.lap();
    cost.ms = round == 0 ? ms : std::min(cost.ms, ms);
    cost.names = names;
    cost.inflated = zip.value()->inflated();
  }
  std::filesystem::remove(path);
  return cost;
}

allcost runalternating(const std::string& wadpath, std::uint64_t bigbytes, std::int32_t size,
                       std::int32_t margin, const std::string& folder, int rounds) {
  const auto file = std::make_shared<const bytes>(filebytes(wadpath));
  const result<std::shared_ptr<wad>> read = wad::read(bytestream::openmemory(file), wad::DOOM);
  if (!read.ok() || !read.value()) {
    allcost failed;
    failed.error = "cannot read " + wadpath + " as a WAD";
    return failed;
  }
  // Each map's lumps copied out of the WAD; odd maps to big.wad, even ones to small.wad.
  std::vector<lumpdata> big, small, plain;
  bool odd = true;
  std::string previous;
  for (const text& name : read.value()->getmapnames()) {
    std::vector<lumpdata> group;
    for (const auto& l : read.value()->getmaplumps(name, wad::maplumps)) {
      const auto from = file->begin() + l->filepos;
      group.push_back({tobytes(l->trimmedname()), {bytes(from, from + l->size), 0}});
    }
    std::vector<lumpdata>& into = odd ? big : small;
    into.insert(into.end(), group.begin(), group.end());
    // After its own map, small.wad names the odd map before it again: listed
    // after big.wad's, that name is found in big.wad, so the turns alternate.
    if (!odd) small.push_back({previous, {}});
    previous = tobytes(name);
    odd = !odd;
  }
  plain = big;
  plain.insert(plain.end(), small.begin(), small.end());
  const std::uint64_t bigsofar = length(wadof(big)) + wadformat::direntry::bytes;
  big.push_back({"PADDING", {{}, bigbytes > bigsofar ? bigbytes - bigsofar : 0}});

  const std::filesystem::path dir = folder;
  const std::filesystem::path zip = dir / "alternating.zip", wadfile = dir / "alternating.wad";
  allcost cost;
  if (!writefile(zip, {{zipof({{"big.wad", wadof(big)}, {"small.wad", wadof(small)}}), 0}}) ||
      !writefile(wadfile, wadof(plain))) {
    cost.error = "cannot write the archive or the WAD in " + folder;
  } else {
    cost = compare(zip, wadfile, size, margin, dir, rounds);
    cost.heldbytes = length(wadof(big));
    cost.entrybytes = cost.heldbytes + length(wadof(small));
  }
  std::filesystem::remove(zip);
  std::filesystem::remove(wadfile);
  return cost;
}

allcost runmanynames(std::size_t markers, const std::string& folder, int rounds) {
  std::vector<lumpdata> lumps;
  for (std::size_t i = 0; i < 2 * markers; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "MAP%05zu", i % markers);
    lumps.push_back({name, {}});
  }
  const pieces wad = wadof(lumps);
  const std::filesystem::path dir = folder;
  const std::filesystem::path zip = dir / "manynames.zip", wadfile = dir / "manynames.wad";
  allcost cost;
  if (!writefile(zip, {{zipof({{"names.wad", wad}}), 0}}) || !writefile(wadfile, wad)) {
    cost.error = "cannot write the archive or the WAD in " + folder;
  } else {
    cost = compare(zip, wadfile, 1, 0, dir, rounds);
    cost.heldbytes = cost.entrybytes = length(wad);
  }
  std::filesystem::remove(zip);
  std::filesystem::remove(wadfile);
  return cost;
}

}  // namespace tracewell::bench

// One zlib stream compressed in bands side by side: the same bytes however many cores take part.
#include "render/deflatebands.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "support/orderedpool.h"

namespace tracewell {

namespace {

constexpr std::size_t window = 32768;          // what deflate may refer back to
constexpr std::uint64_t bandtarget = 8 << 20;  // data per band
constexpr std::size_t maxbands = 8;
constexpr std::size_t stepbytes = 64 << 10;  // rows made and fed to deflate at a time
constexpr std::size_t headerbytes = 2, trailerbytes = 4;

// Grows without touching memory it does not write: a band's worst case is
// reserved, only what deflate writes is ever paged in.
struct bytebuffer {
  std::unique_ptr<std::uint8_t[]> data;
  std::size_t capacity = 0;
  std::size_t size = 0;

  void reserve(std::size_t n) {
    if (n <= capacity) return;
    auto more = std::make_unique_for_overwrite<std::uint8_t[]>(n);
    if (size > 0) std::memcpy(more.get(), data.get(), size);
    data = std::move(more);
    capacity = n;
  }
};

// A band compressed: its raw deflate bytes (room kept for the stream's header
// or trailer), the Adler-32 of its data and the data's length.
struct band {
  bytebuffer bytes;
  uLong adler = 1;
  std::uint64_t length = 0;
};

// A raw deflate stream (no zlib header or trailer: the bands are joined by hand).
struct deflater {
  z_stream s{};
  explicit deflater(int level) {
    if (deflateInit2(&s, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::bad_alloc();
  }
  ~deflater() { deflateEnd(&s); }
  deflater(const deflater&) = delete;
  deflater& operator=(const deflater&) = delete;
};

// Compresses rows [first, last) of `rowbytes` each. Band `first` > 0 starts
// from the window of data before it; the last band finishes the deflate
// stream, the others end on a byte boundary with a sync flush, so that the
// next band's bytes follow on.
band compressband(std::int64_t first, std::int64_t last, bool final, std::size_t rowbytes, int level,
                  const rowmaker& row) {
  deflater d(level);
  std::vector<std::uint8_t> step;
  if (first > 0) {
    const std::int64_t back =
        std::min<std::int64_t>(first, static_cast<std::int64_t>((window + rowbytes - 1) / rowbytes));
    step.resize(static_cast<std::size_t>(back) * rowbytes);
    for (std::int64_t y = first - back; y < first; ++y)
      row(y, step.data() + static_cast<std::size_t>(y - (first - back)) * rowbytes);
    const std::size_t dict = std::min(window, step.size());
    if (deflateSetDictionary(&d.s, step.data() + step.size() - dict, static_cast<uInt>(dict)) != Z_OK)
      throw std::bad_alloc();
  }
  band b;
  b.length = static_cast<std::uint64_t>(last - first) * rowbytes;
  b.bytes.reserve(headerbytes + deflateBound(&d.s, static_cast<uLong>(b.length)) + 16 + trailerbytes);
  b.bytes.size = headerbytes;  // the first band's bytes follow the stream header
  const std::int64_t perstep = std::max<std::int64_t>(1, static_cast<std::int64_t>(stepbytes / rowbytes));
  step.resize(static_cast<std::size_t>(std::min<std::int64_t>(perstep, last - first)) * rowbytes);
  for (std::int64_t y = first; y < last;) {
    const std::int64_t n = std::min(perstep, last - y);
    for (std::int64_t i = 0; i < n; ++i) row(y + i, step.data() + static_cast<std::size_t>(i) * rowbytes);
    y += n;
    const std::size_t bytes = static_cast<std::size_t>(n) * rowbytes;
    b.adler = adler32_z(b.adler, step.data(), bytes);
    // zlib counts its input in 32 bits: a row past 1 GiB goes in parts.
    for (std::size_t fed = 0; fed < bytes;) {
      const std::size_t part = std::min<std::size_t>(bytes - fed, std::size_t{1} << 30);
      d.s.next_in = step.data() + fed;
      d.s.avail_in = static_cast<uInt>(part);
      fed += part;
      const int flush = fed < bytes || y < last ? Z_NO_FLUSH : final ? Z_FINISH : Z_SYNC_FLUSH;
      for (;;) {
        if (b.bytes.capacity - b.bytes.size < 64 + trailerbytes) b.bytes.reserve(b.bytes.capacity * 2);
        d.s.next_out = b.bytes.data.get() + b.bytes.size;
        const std::size_t room = b.bytes.capacity - b.bytes.size - trailerbytes;
        d.s.avail_out = static_cast<uInt>(std::min<std::size_t>(room, std::size_t{1} << 30));
        const uInt before = d.s.avail_out;
        const int z = deflate(&d.s, flush);
        b.bytes.size += before - d.s.avail_out;
        if (z == Z_STREAM_ERROR) throw std::bad_alloc();
        // Done when the input is taken and, for a flush, deflate had room to spare.
        if (d.s.avail_in == 0 && d.s.avail_out != 0 && (flush != Z_FINISH || z == Z_STREAM_END)) break;
      }
    }
  }
  return b;
}

}  // namespace

std::size_t bandcount(std::int64_t rows, std::size_t rowbytes) {
  const std::uint64_t bytes = static_cast<std::uint64_t>(std::max<std::int64_t>(rows, 0)) * rowbytes;
  if (bytes < bandedbytes || rows < 2) return 1;
  const std::uint64_t n = std::clamp<std::uint64_t>((bytes + bandtarget - 1) / bandtarget, 2, maxbands);
  return static_cast<std::size_t>(std::min<std::uint64_t>(n, static_cast<std::uint64_t>(rows)));
}

bool deflatebands(std::int64_t rows, std::size_t rowbytes, int level, const rowmaker& row,
                  const pieceout& out, std::size_t cores) {
  const std::size_t n = bandcount(rows, rowbytes);
  uLong adler = 1;
  bool going = true;
  std::size_t handed = 0;
  // Bands come here in order, whichever thread compressed them.
  const auto deliver = [&](band& b) {
    std::uint8_t* start = b.bytes.data.get();
    if (handed == 0) {
      // zlib's header: deflate with a 32 KiB window, the level's class, the check bits.
      const unsigned flevel = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
      const unsigned cmf = 0x78, flg = flevel << 6;
      start[0] = static_cast<std::uint8_t>(cmf);
      start[1] = static_cast<std::uint8_t>(flg + 31 - (cmf * 256 + flg) % 31);
    } else {
      start += headerbytes;
    }
    adler = handed == 0 ? b.adler : adler32_combine64(adler, b.adler, static_cast<z_off64_t>(b.length));
    std::size_t end = b.bytes.size;
    if (++handed == n) {
      for (int i = 0; i < 4; ++i) b.bytes.data[end++] = static_cast<std::uint8_t>(adler >> (24 - 8 * i));
    }
    going = going && out({start, b.bytes.data.get() + end});
    b.bytes = {};
  };
  const auto job = [&, n](std::size_t i) {
    return [&, n, i] {
      const std::int64_t first = rows * static_cast<std::int64_t>(i) / static_cast<std::int64_t>(n);
      const std::int64_t last = rows * static_cast<std::int64_t>(i + 1) / static_cast<std::int64_t>(n);
      return compressband(first, last, i + 1 == n, rowbytes, level, row);
    };
  };
  try {
    const std::size_t threads = std::min(cores, n);
    if (threads <= 1) {
      for (std::size_t i = 0; i < n && going; ++i) {
        band b = job(i)();
        deliver(b);
      }
    } else {
      // The calling thread only waits, so the pool takes its core too.
      orderedpool<band> pool(threads);
      for (std::size_t i = 0; i < n && going; ++i) pool.submit(job(i), deliver);
      pool.drain(deliver);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return going && handed == n;
}

}  // namespace tracewell

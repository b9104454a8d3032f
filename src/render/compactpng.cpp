// The compact PNG encoder: a palette where the picture allows one, deflate tuned for speed.
#include "render/compactpng.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "render/deflatebands.h"
#include "render/pngchunks.h"

namespace tracewell {

namespace {

// Levels chosen by measurement on automap pictures at 4096 x 4096. Palette
// indices: libdeflate's 6 gives smaller files than zlib's 6 in less time (the
// indexing costs more than the deflate). RGBA: zlib's 4 is the fastest level
// within the standard writer's size; 1 to 3 give files 60 % larger.
constexpr int palettelevel = 6;
constexpr int rgbalevel = 4;
constexpr std::uint8_t upfilter = 2;

// The colours seen so far, each with its palette index, found through an
// open-addressed table of twice the palette's size or more.
class palette {
 public:
  static constexpr std::size_t most = 256;

  // The index of `word` (a pixel's four bytes as one word), added when new;
  // -1 when it would be colour 257.
  int indexof(std::uint32_t word) {
    std::size_t slot = (word * 0x9E3779B1u) >> (32 - slotbits);
    for (;;) {
      if (index_[slot] < 0) break;
      if (key_[slot] == word) return index_[slot];
      slot = (slot + 1) & (slots - 1);
    }
    if (count_ == most) return -1;
    key_[slot] = word;
    index_[slot] = static_cast<std::int16_t>(count_);
    words_[count_] = word;
    return static_cast<int>(count_++);
  }

  std::size_t count() const { return count_; }
  // Colour `i` as the bytes red, green, blue, alpha.
  std::array<std::uint8_t, 4> colour(std::size_t i) const {
    std::array<std::uint8_t, 4> c{};
    std::memcpy(c.data(), &words_[i], 4);
    return c;
  }

 private:
  static constexpr int slotbits = 10;
  static constexpr std::size_t slots = std::size_t{1} << slotbits;
  std::array<std::uint32_t, slots> key_{};
  std::array<std::int16_t, slots> index_ = [] {
    std::array<std::int16_t, slots> a{};
    a.fill(-1);
    return a;
  }();
  std::array<std::uint32_t, most> words_{};
  std::size_t count_ = 0;
};

int depthfor(std::size_t colours) {
  return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// Bytes of a row of `w` indices at `depth` bits each.
std::size_t packedbytes(std::size_t w, int depth) {
  return (w * static_cast<std::size_t>(depth) + 7) / 8;
}

template <int depth>
void packat(const std::uint8_t* indices, std::size_t w, std::uint8_t* out) {
  constexpr std::size_t perbyte = 8 / depth;
  const std::size_t whole = w / perbyte;
  for (std::size_t j = 0; j < whole; ++j) {
    unsigned byte = 0;
    for (std::size_t k = 0; k < perbyte; ++k) byte = byte << depth | indices[j * perbyte + k];
    out[j] = static_cast<std::uint8_t>(byte);
  }
  if (whole * perbyte == w) return;
  // The last byte's unused low bits stay zero.
  unsigned byte = 0;
  for (std::size_t k = 0; k < perbyte; ++k) {
    const std::size_t x = whole * perbyte + k;
    byte = byte << depth | (x < w ? indices[x] : 0u);
  }
  out[whole] = static_cast<std::uint8_t>(byte);
}

void pack(const std::uint8_t* indices, std::size_t w, int depth, std::uint8_t* out) {
  switch (depth) {
    case 1:
      return packat<1>(indices, w, out);
    case 2:
      return packat<2>(indices, w, out);
    case 4:
      return packat<4>(indices, w, out);
    default:
      std::memcpy(out, indices, w);
  }
}

void unpack(const std::uint8_t* packed, std::size_t w, int depth, std::uint8_t* indices) {
  const unsigned mask = (1u << depth) - 1;
  const std::size_t perbyte = static_cast<std::size_t>(8 / depth);
  for (std::size_t x = 0; x < w; ++x) {
    const unsigned shift = 8 - static_cast<unsigned>(depth) * static_cast<unsigned>(x % perbyte + 1);
    indices[x] = static_cast<std::uint8_t>(packed[x / perbyte] >> shift & mask);
  }
}

// An image of at most 256 colours: its palette and its rows of indices,
// packed at the depth the colours need and Up-filtered, each after its filter
// byte: `length` bytes, ready to deflate.
struct indexed {
  palette colours;
  int depth = 1;
  std::unique_ptr<std::uint8_t[]> rows;
  std::size_t length = 0;
};

// Gives every pixel its palette index, row by row, or nullopt at the 257th
// colour. Rows are packed as they are indexed, at the least depth for the
// colours seen so far; a colour that needs more bits repacks the rows before
// it (at most three times, and in automap pictures within the first rows).
// So the buffer takes the pages of the final depth only: a quarter of a byte
// a pixel for the usual four colours.
std::optional<indexed> indexpixels(const TPixmap& pixmap) {
  const auto w = static_cast<std::size_t>(pixmap.width());
  const auto h = static_cast<std::size_t>(pixmap.height());
  indexed out;
  // Room for 8 bits a pixel; pages are taken only as they are written.
  out.rows = std::make_unique_for_overwrite<std::uint8_t[]>(h * (w + 1));
  std::vector<std::uint8_t> indices(w);
  std::size_t stride = packedbytes(w, out.depth) + 1;
  std::uint32_t last = 0;
  std::uint64_t run = 0;  // two pixels of the last colour
  int lastindex = -1;
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* src = pixmap.PixelPtr(0, static_cast<std::int64_t>(y));
    std::uint8_t* dst = indices.data();
    for (std::size_t x = 0; x < w;) {
      // Automap pictures are long runs of one colour: four pixels at a time while they last.
      if (lastindex >= 0 && x + 4 <= w) {
        std::uint64_t a = 0, b = 0;
        std::memcpy(&a, src + x * 4, 8);
        std::memcpy(&b, src + x * 4 + 8, 8);
        if (a == run && b == run) {
          std::memset(dst + x, lastindex, 4);
          x += 4;
          continue;
        }
      }
      std::uint32_t word = 0;
      std::memcpy(&word, src + x * 4, 4);
      if (word != last || lastindex < 0) {
        lastindex = out.colours.indexof(word);
        if (lastindex < 0) return std::nullopt;
        last = word;
        run = std::uint64_t{word} << 32 | word;
      }
      dst[x++] = static_cast<std::uint8_t>(lastindex);
    }
    const int depth = depthfor(out.colours.count());
    if (depth != out.depth) {
      // The rows so far to the wider depth, last row first: each lands at or after where it was.
      const std::size_t wider = packedbytes(w, depth) + 1;
      std::vector<std::uint8_t> earlier(w);
      for (std::size_t r = y; r-- > 0;) {
        unpack(out.rows.get() + r * stride + 1, w, out.depth, earlier.data());
        pack(earlier.data(), w, depth, out.rows.get() + r * wider + 1);
      }
      out.depth = depth;
      stride = wider;
    }
    pack(indices.data(), w, out.depth, out.rows.get() + y * stride + 1);
  }
  // The Up filter, last row first, so each row is taken from the one above it before that one changes.
  for (std::size_t y = h; y-- > 0;) {
    std::uint8_t* row = out.rows.get() + y * stride;
    row[0] = upfilter;
    if (y == 0) break;
    const std::uint8_t* above = row - stride;
    for (std::size_t j = 1; j < stride; ++j) row[j] = static_cast<std::uint8_t>(row[j] - above[j]);
  }
  out.length = h * stride;
  return out;
}

struct compressorgone {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// The image data as IDAT chunks, none longer than a chunk may be here.
bool writeidat(std::FILE* file, std::span<const std::uint8_t> data) {
  do {
    const std::span<const std::uint8_t> part = data.first(std::min(data.size(), pngchunkmax));
    writepngchunk(file, "IDAT", {part});
    data = data.subspan(part.size());
  } while (!data.empty());
  return std::ferror(file) == 0;
}

bool writepalette(const TPixmap& pixmap, indexed& image, std::FILE* file) {
  const auto w = static_cast<std::size_t>(pixmap.width());
  const auto h = static_cast<std::size_t>(pixmap.height());
  const int depth = image.depth;
  const std::size_t length = image.length;

  const std::unique_ptr<libdeflate_compressor, compressorgone> compressor(
      libdeflate_alloc_compressor(palettelevel));
  if (!compressor) return false;
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), length);
  const auto deflated = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
  const std::size_t size =
      libdeflate_zlib_compress(compressor.get(), image.rows.get(), length, deflated.get(), bound);
  if (size == 0) return false;
  image.rows.reset();

  std::vector<std::uint8_t> plte, trns;
  std::size_t lasttranslucent = 0;
  for (std::size_t i = 0; i < image.colours.count(); ++i) {
    const auto c = image.colours.colour(i);
    plte.insert(plte.end(), c.begin(), c.begin() + 3);
    trns.push_back(c[3]);
    if (c[3] != 0xFF) lasttranslucent = i + 1;
  }
  // Entries past the last translucent one are opaque without being listed.
  trns.resize(lasttranslucent);
  writepngstart(file, {static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h),
                       static_cast<std::uint8_t>(depth), 3});
  writepngchunk(file, "PLTE", {plte});
  if (!trns.empty()) writepngchunk(file, "tRNS", {trns});
  if (!writeidat(file, {deflated.get(), size})) return false;
  writepngchunk(file, "IEND", {});
  return std::ferror(file) == 0;
}

bool writergba(const TPixmap& pixmap, std::FILE* file, std::size_t cores) {
  const auto w = static_cast<std::size_t>(pixmap.width());
  const std::size_t rowbytes = 1 + 4 * w;
  writepngstart(file, {static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(pixmap.height()), 8, 6});
  const rowmaker up = [&pixmap, w](std::int64_t y, std::uint8_t* out) {
    out[0] = upfilter;
    const std::uint8_t* row = pixmap.PixelPtr(0, y);
    if (y == 0) {
      std::memcpy(out + 1, row, 4 * w);
      return;
    }
    const std::uint8_t* above = pixmap.PixelPtr(0, y - 1);
    for (std::size_t i = 0; i < 4 * w; ++i) out[i + 1] = static_cast<std::uint8_t>(row[i] - above[i]);
  };
  const pieceout idat = [file](std::span<const std::uint8_t> piece) { return writeidat(file, piece); };
  if (!deflatebands(pixmap.height(), rowbytes, rgbalevel, up, idat, cores)) return false;
  writepngchunk(file, "IEND", {});
  return std::ferror(file) == 0;
}

}  // namespace

bool writecompactpng(const TPixmap& pixmap, std::FILE* file, std::size_t cores) {
  try {
    std::optional<indexed> image = indexpixels(pixmap);
    if (image) return writepalette(pixmap, *image, file);
    return writergba(pixmap, file, cores);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace tracewell

// The pixel buffer that maps are drawn into: rows of R, G, B, A bytes.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

namespace tracewell {

// An image in memory. Colours go in and out as ARGB integers (0xAARRGGBB in a
// signed 32-bit value); each pixel is stored as the four bytes red, green, blue,
// alpha, which is also the byte order of a PNG row. Pixel (x, y) lies at byte
// y * pitch + x * 4; row 0 is the top row.
class TPixmap {
 public:
  // The only pixel format this program makes: 4 bytes per pixel, R, G, B, A.
  static constexpr std::int32_t RGBA = 6;
  // Largest storage a buffer may have, in bytes.
  static constexpr std::int64_t maxcapacity = std::int64_t{1} << 32;

  // A new buffer of width x height pixels whose rows are padded to a multiple
  // of `align` bytes (below 1 counts as 1). The pixels are not initialised.
  // A width or height below 1 gives a valid buffer without pixels, that size
  // kept as 0. Returns null when `format` is not RGBA, when the storage would
  // exceed maxcapacity or when it cannot be allocated; no exception leaves.
  // Pixels of 2 MiB or more start on a 2 MiB boundary and ask the system for
  // large pages, which costs up to 2 MiB more address space but no memory.
  static std::unique_ptr<TPixmap> Create(std::int32_t width, std::int32_t height, std::int32_t format = RGBA,
                                         std::int32_t align = 4);
  // Bytes of storage that Create would allocate, or -1 when it would refuse.
  static std::int64_t StorageSize(std::int32_t width, std::int32_t height, std::int32_t format = RGBA,
                                  std::int32_t align = 4);

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::int64_t pitch() const { return pitch_; }
  std::int32_t format() const { return format_; }
  std::int64_t capacity() const { return capacity_; }

  // Sets every pixel to `colour` with one 32-bit fill per row.
  void ClearPixels(std::int32_t colour);

  // The pixel at (x, y) as ARGB; 0 for a point outside the buffer.
  std::int32_t ReadPixel(std::int64_t x, std::int64_t y) const {
    return contains(x, y) ? LoadPixel(PixelPtr(x, y)) : 0;
  }
  // Stores `colour` at (x, y); a point outside the buffer is skipped. Returns 0.
  int WritePixel(std::int64_t x, std::int64_t y, std::int32_t colour) {
    if (contains(x, y)) StorePixel(PixelPtr(x, y), colour);
    return 0;
  }
  // Address of the first byte of pixel (x, y), or null outside the buffer.
  std::uint8_t* PixelPtr(std::int64_t x, std::int64_t y) {
    return contains(x, y) ? pixels_ + y * pitch_ + x * 4 : nullptr;
  }
  const std::uint8_t* PixelPtr(std::int64_t x, std::int64_t y) const {
    return contains(x, y) ? pixels_ + y * pitch_ + x * 4 : nullptr;
  }
  // Whether (x, y) is a pixel of the buffer.
  bool contains(std::int64_t x, std::int64_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }

  // The 32-bit word whose bytes in memory are the R, G, B, A of `colour`.
  static constexpr std::uint32_t PackPixel(std::int32_t colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF, a = c >> 24;
    if constexpr (std::endian::native == std::endian::little) {
      return r | g << 8 | b << 16 | a << 24;
    } else {
      return r << 24 | g << 16 | b << 8 | a;
    }
  }
  // Reads and writes one pixel at `p`, which needs no alignment.
  static std::int32_t LoadPixel(const std::uint8_t* p) {
    return static_cast<std::int32_t>(std::uint32_t{p[3]} << 24 | std::uint32_t{p[0]} << 16 |
                                     std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]});
  }
  static void StorePixel(std::uint8_t* p, std::int32_t colour) { StoreWord(p, PackPixel(colour)); }
  static void StoreWord(std::uint8_t* p, std::uint32_t word) { std::memcpy(p, &word, 4); }

 private:
  struct key {
    explicit key() = default;
  };

 public:
  // Only Create makes buffers; the key keeps the constructor to it.
  explicit TPixmap(key) {}
  TPixmap(const TPixmap&) = delete;
  TPixmap& operator=(const TPixmap&) = delete;

 private:
  std::unique_ptr<std::uint32_t[]> storage_;  // words, so that 4-byte rows start aligned
  std::uint32_t* words_ = nullptr;            // the first pixel's word within storage_
  std::uint8_t* pixels_ = nullptr;            // the bytes of words_
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int64_t pitch_ = 0;
  std::int32_t format_ = RGBA;
  std::int64_t capacity_ = 0;
};

}  // namespace tracewell

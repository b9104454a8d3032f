// PNG files framed by hand: the signature and chunks around data compressed elsewhere.
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <span>

namespace tracewell {

// What IHDR says of an image.
struct pngheader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t depth = 8;       // bits per sample (per index for a palette)
  std::uint8_t colourtype = 6;  // 3: palette, 6: truecolour with alpha
};

// Writes the PNG signature and the IHDR chunk (deflate, adaptive filtering,
// no interlacing) to `file`. Write errors show in ferror(file).
void writepngstart(std::FILE* file, const pngheader& header);

// Writes one chunk of type `type` (four letters) whose data is `parts` one
// after another, with its length and its CRC-32. The data may be split into
// as many parts as the caller holds it in; together they stay below 2^31 bytes.
void writepngchunk(std::FILE* file, const char* type,
                   std::initializer_list<std::span<const std::uint8_t>> parts);

// Chunk data is at most this long here; longer image data goes into several IDAT chunks.
inline constexpr std::size_t pngchunkmax = std::size_t{1} << 30;

}  // namespace tracewell

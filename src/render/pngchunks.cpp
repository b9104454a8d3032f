// PNG files framed by hand: the signature and chunks around data compressed elsewhere.
#include "render/pngchunks.h"

#include <zlib.h>

#include <array>

namespace tracewell {

namespace {

std::array<std::uint8_t, 4> bigendian(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

}  // namespace

void writepngstart(std::FILE* file, const pngheader& header) {
  static constexpr std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::fwrite(signature, 1, sizeof signature, file);
  const auto w = bigendian(header.width);
  const auto h = bigendian(header.height);
  const std::uint8_t rest[] = {header.depth, header.colourtype, 0, 0, 0};
  writepngchunk(file, "IHDR", {w, h, rest});
}

void writepngchunk(std::FILE* file, const char* type,
                   std::initializer_list<std::span<const std::uint8_t>> parts) {
  std::size_t length = 0;
  for (const auto& p : parts) length += p.size();
  const auto lengthbytes = bigendian(static_cast<std::uint32_t>(length));
  std::fwrite(lengthbytes.data(), 1, 4, file);
  std::fwrite(type, 1, 4, file);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  for (const auto& p : parts) {
    if (p.empty()) continue;
    std::fwrite(p.data(), 1, p.size(), file);
    // crc32_z takes any length; the parts may be larger than a uInt counts.
    crc = crc32_z(crc, p.data(), p.size());
  }
  const auto crcbytes = bigendian(static_cast<std::uint32_t>(crc));
  std::fwrite(crcbytes.data(), 1, 4, file);
}

}  // namespace tracewell

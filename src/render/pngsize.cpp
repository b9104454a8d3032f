// What a PNG file on disk says of itself: its size, and whether it is whole.
#include "render/pngsize.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

#include "support/path.h"

namespace tracewell {

namespace {

constexpr std::array<unsigned char, 16> head = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                                0,    0,   0,   13,  'I',  'H',  'D',  'R'};
// A chunk of no data, its type and its CRC.
constexpr std::array<unsigned char, 12> tail = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

std::int64_t bigendian(const unsigned char* p) {
  return (std::int64_t{p[0]} << 24) | (std::int64_t{p[1]} << 16) | (std::int64_t{p[2]} << 8) | p[3];
}

}  // namespace

std::optional<pngsize> wholepngsize(const text& path) {
  if (!usablepath(path)) return std::nullopt;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(nativepath(path).c_str(), "rb"),
                                                             std::fclose);
  if (!file) return std::nullopt;
  std::array<unsigned char, head.size() + 8> start{};
  std::array<unsigned char, tail.size()> end{};
  if (std::fread(start.data(), 1, start.size(), file.get()) != start.size() ||
      std::memcmp(start.data(), head.data(), head.size()) != 0)
    return std::nullopt;
  // The signature, IHDR (25 bytes) and IEND, at least; the last 12 bytes must be IEND's.
  if (std::fseek(file.get(), 0, SEEK_END) != 0 || std::ftell(file.get()) < 8 + 25 + 12 ||
      std::fseek(file.get(), -static_cast<long>(tail.size()), SEEK_END) != 0 ||
      std::fread(end.data(), 1, end.size(), file.get()) != end.size() || end != tail)
    return std::nullopt;
  const std::int64_t width = bigendian(start.data() + head.size());
  const std::int64_t height = bigendian(start.data() + head.size() + 4);
  if (width > INT32_MAX || height > INT32_MAX) return std::nullopt;
  return pngsize{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

}  // namespace tracewell

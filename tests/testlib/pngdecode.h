// Test helper: a PNG file decoded by libpng, with its chunk layout.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tracewell::testkit {

struct decodedpng {
  bool ok = false;  // libpng read the whole image
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> bytes;  // R, G, B, A per pixel, rows top to bottom
  std::vector<std::string> chunks;  // chunk types in file order
  std::string ihdr;                 // the 13 bytes of IHDR
  int zlibflevel = -1;              // level class in the first IDAT's zlib header

  // Pixel (x, y) as ARGB.
  std::uint32_t pixel(std::uint32_t x, std::uint32_t y) const {
    const std::uint8_t* p = &bytes[(static_cast<std::size_t>(y) * width + x) * 4];
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
  }
};

// Reads `path`; `ok` is false when libpng cannot decode it.
decodedpng decodepng(const std::filesystem::path& path);

}  // namespace tracewell::testkit

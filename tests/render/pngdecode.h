// Test helper: a PNG file decoded by libpng, with its chunk layout.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tracewell::testing {

struct decodedpng {
  bool ok = false;  // libpng read the whole image
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> bytes;  // R, G, B, A per pixel, rows top to bottom
  std::vector<std::string> chunks;  // chunk types in file order
  std::string ihdr;                 // the 13 bytes of IHDR
  int zlibflevel = -1;              // level class in the first IDAT's zlib header
};

// Reads `path`; `ok` is false when libpng cannot decode it.
decodedpng decodepng(const std::filesystem::path& path);

}  // namespace tracewell::testing

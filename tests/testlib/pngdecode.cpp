// Test helper: a PNG file decoded by libpng, with its chunk layout.
#include "testlib/pngdecode.h"

#include <png.h>

#include "testlib/harness.h"

namespace tracewell::testkit {

namespace {
std::uint32_t bigendian(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<std::uint8_t>(s[at + i]);
  return v;
}
}  // namespace

decodedpng decodepng(const std::filesystem::path& path) {
  decodedpng d;
  const std::string file = readfile(path);
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::uint32_t length = bigendian(file, at);
    const std::string type = file.substr(at + 4, 4);
    if (type == "IHDR") d.ihdr = file.substr(at + 8, length);
    if (type == "IDAT" && d.zlibflevel < 0) d.zlibflevel = static_cast<std::uint8_t>(file[at + 9]) >> 6;
    d.chunks.push_back(type);
    at += 12 + std::size_t{length};
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return d;
  image.format = PNG_FORMAT_RGBA;
  d.bytes.resize(PNG_IMAGE_SIZE(image));
  d.ok = png_image_finish_read(&image, nullptr, d.bytes.data(), 0, nullptr) != 0;
  d.width = image.width;
  d.height = image.height;
  png_image_free(&image);
  return d;
}

}  // namespace tracewell::testkit

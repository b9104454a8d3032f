// The PNG-encoding floor: a pixel buffer encoded by libpng alone, into memory.
#include "pngfloor.h"

#include <png.h>

namespace tracewell::bench {

namespace {

void appendbytes(png_structp png, png_bytep data, png_size_t length) {
  auto& out = *static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out.insert(out.end(), data, data + length);
}

void noflush(png_structp) {}

[[noreturn]] void quieterror(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void quietwarning(png_structp, png_const_charp) {}

// libpng leaves by longjmp on error, so this frame owns nothing to destroy.
bool run(png_structp png, png_infop info, const TPixmap& pixmap, png_bytepp rows, int level) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_compression_level(png, level);
  png_set_IHDR(png, info, static_cast<png_uint_32>(pixmap.width()), static_cast<png_uint_32>(pixmap.height()),
               8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

}  // namespace

bool floorencode(const TPixmap& pixmap, int level, std::vector<unsigned char>& out) {
  out.clear();
  std::vector<png_bytep> rows(static_cast<std::size_t>(pixmap.height()));
  for (std::int32_t y = 0; y < pixmap.height(); ++y) {
    rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(pixmap.PixelPtr(0, y));
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quieterror, quietwarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  bool ok = false;
  if (info != nullptr) {
    png_set_write_fn(png, &out, appendbytes, noflush);
    ok = run(png, info, pixmap, rows.data(), level);
  }
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  return ok;
}

}  // namespace tracewell::bench

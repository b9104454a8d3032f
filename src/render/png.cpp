// Saving a pixel buffer as an 8-bit RGBA PNG file.
#include "render/png.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

#include "render/compactpng.h"

namespace tracewell {

namespace {

// libpng's error handler would print; this one only leaves through the jump.
[[noreturn]] void silenterror(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void silentwarning(png_structp, png_const_charp) {}

void writebytes(png_structp png, png_bytep data, png_size_t length) {
  auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
  if (std::fwrite(data, 1, length, file) != length) png_error(png, "write failed");
}

void flushbytes(png_structp png) {
  if (std::fflush(static_cast<std::FILE*>(png_get_io_ptr(png))) != 0) png_error(png, "flush failed");
}

// Runs the encoder. libpng leaves this frame by longjmp on any error, so it
// must own nothing that needs destroying; everything lives in the caller.
bool encode(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height, png_bytepp rows,
            int level) {
  if (setjmp(png_jmpbuf(png))) return false;  // NOLINT(cert-err52-cpp)
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_set_compression_level(png, level);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

// Encodes into `file`; false when the encoder gives up (memory, or a byte the file refused).
bool writeimage(const TPixmap& pixmap, std::FILE* file, int level) {
  std::vector<png_bytep> rows;
  try {
    rows.resize(static_cast<std::size_t>(pixmap.height()));
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (std::int32_t y = 0; y < pixmap.height(); ++y) {
    // libpng only reads the rows; its interface just lacks the const.
    rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(pixmap.PixelPtr(0, y));
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, silenterror, silentwarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  bool ok = info != nullptr;
  if (ok) {
    png_set_write_fn(png, file, writebytes, flushbytes);
    ok = encode(png, info, static_cast<png_uint_32>(pixmap.width()),
                static_cast<png_uint_32>(pixmap.height()), rows.data(), level);
  }
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  return ok;
}

}  // namespace

std::optional<pngencoding> findpngencoding(const text& word) {
  for (const pngencodingname& n : pngencodingnames) {
    if (lower(word) == n.word) return n.encoding;
  }
  return std::nullopt;
}

outputstatus WritePNG(const TPixmap& pixmap, outputfile& out, int level, pngencoding encoding,
                      std::size_t cores) {
  if (!out.status().ok()) return out.status();
  const auto encode = [&] {
    return encoding == pngencoding::compact ? writecompactpng(pixmap, out.stream(), cores)
                                            : writeimage(pixmap, out.stream(), std::clamp(level, 0, 9));
  };
  if (pixmap.width() < 1 || pixmap.height() < 1 || !encode()) {
    // A byte the file refused is the file's failure; anything else is the encoder's.
    if (std::ferror(out.stream()) == 0) out.abandon();
  }
  return out.finish();
}

outputstatus WritePNG(const TPixmap& pixmap, const text& path, int level) {
  // No file is made for an image without pixels.
  if (pixmap.width() < 1 || pixmap.height() < 1) return failure::because(failure::reason::nocontent);
  outputfile out = outputfile::open(path);
  const outputstatus written = WritePNG(pixmap, out, level);
  return written.ok() ? out.commit() : written;
}

}  // namespace tracewell

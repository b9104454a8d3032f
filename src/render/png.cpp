// Saving a pixel buffer as an 8-bit RGBA PNG file.
#include "render/png.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "support/path.h"

namespace tracewell {

namespace {

// Encoded bytes are gathered in large blocks so the file sees few big writes.
constexpr std::size_t sinkbuffersize = std::size_t{1} << 20;

// Where libpng's output goes: a buffer in front of an open file.
struct pngsink {
  std::FILE* file = nullptr;
  std::vector<png_byte> buffer;
  std::size_t used = 0;
  bool failed = false;

  bool drain() {
    if (used > 0 && std::fwrite(buffer.data(), 1, used, file) != used) failed = true;
    used = 0;
    return !failed;
  }
};

// libpng's error handler would print; this one only leaves through the jump.
[[noreturn]] void silenterror(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void silentwarning(png_structp, png_const_charp) {}

void writebytes(png_structp png, png_bytep data, png_size_t length) {
  auto& sink = *static_cast<pngsink*>(png_get_io_ptr(png));
  while (length > 0) {
    if (sink.used == sink.buffer.size() && !sink.drain()) png_error(png, "write failed");
    const std::size_t take = std::min(length, sink.buffer.size() - sink.used);
    std::copy_n(data, take, sink.buffer.data() + sink.used);
    sink.used += take;
    data += take;
    length -= take;
  }
}

void flushbytes(png_structp png) {
  auto& sink = *static_cast<pngsink*>(png_get_io_ptr(png));
  if (!sink.drain() || std::fflush(sink.file) != 0) png_error(png, "flush failed");
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

// Encodes into the open file behind `sink`; false on any failure.
bool writeimage(const TPixmap& pixmap, pngsink& sink, int level) {
  std::vector<png_bytep> rows;
  try {
    sink.buffer.resize(sinkbuffersize);
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
    png_set_write_fn(png, &sink, writebytes, flushbytes);
    ok = encode(png, info, static_cast<png_uint_32>(pixmap.width()),
                static_cast<png_uint_32>(pixmap.height()), rows.data(), level);
  }
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  return ok && sink.drain() && std::fflush(sink.file) == 0;
}

// New files get the usual permissions (0666 less the umask), not mkstemp's 0600.
void setusualmode(int fd) {
  const mode_t mask = umask(0);
  umask(mask);
  (void)fchmod(fd, 0666 & ~mask);
}

}  // namespace

int WritePNG(const TPixmap& pixmap, const text& path, int level) {
  level = std::clamp(level, 0, 9);
  if (pixmap.width() < 1 || pixmap.height() < 1 || path.empty() || !usablepath(path)) return 0;
  const std::string target = nativepath(path);
  // The new file goes beside the target, so the final rename stays within one file system.
  std::string temp = target.substr(0, target.find_last_of('/') + 1) + ".tracewell-XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return 0;
  setusualmode(fd);
  pngsink sink;
  sink.file = fdopen(fd, "wb");
  if (sink.file == nullptr) {
    close(fd);
    std::remove(temp.c_str());
    return 0;
  }
  bool ok = writeimage(pixmap, sink, level);
  ok = std::fclose(sink.file) == 0 && ok;
  ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) std::remove(temp.c_str());
  return ok ? 1 : 0;
}

}  // namespace tracewell

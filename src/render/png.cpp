// Saving a pixel buffer as an 8-bit RGBA PNG file.
#include "render/png.h"

#include <fcntl.h>
#include <limits.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "support/path.h"
#include "support/tempfile.h"

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

// The umask can only be read by setting it; images written side by side must
// not see each other's zero in between.
std::mutex umaskmutex;

// New files get the usual permissions (0666 less the umask), not mkstemp's 0600.
// A file system without permission bits may refuse; the file is fine anyway.
void setusualmode(int fd) {
  mode_t mask = 0;
  {
    const std::lock_guard lock(umaskmutex);
    mask = umask(0);
    umask(mask);
  }
  (void)fchmod(fd, 0666 & ~mask);
}

// A replaced file keeps its permission bits, and for root its owner and group
// (an ordinary user cannot give a file away). A file that root cannot give back
// to its owner is not written: the owner would lose it.
bool keepattributes(int fd, const struct stat& old) {
  if (geteuid() == 0 && fchown(fd, old.st_uid, old.st_gid) != 0) return false;
  (void)fchmod(fd, old.st_mode & 0777);
  return true;
}

// Links are followed this many times at most, as the system itself does.
constexpr int maxlinkhops = 40;

// Follows the symbolic links at `target` to the file they finally name; `st`
// describes it when `exists`. False when a link cannot be read, they run too
// long (or in a circle), or the path cannot be looked at for another reason
// than naming nothing. A relative link is taken from the folder of the link.
bool followlinks(std::string& target, struct stat& st, bool& exists) {
  for (int hop = 0; hop <= maxlinkhops; ++hop) {
    if (lstat(target.c_str(), &st) != 0) {
      exists = false;
      return errno == ENOENT;
    }
    exists = true;
    if (!S_ISLNK(st.st_mode)) return true;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = readlink(target.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return false;
    link.resize(static_cast<std::size_t>(n));
    const std::size_t cut = target.find_last_of('/');
    if (link.front() == '/' || cut == std::string::npos) {
      target = link;
    } else {
      target.resize(cut + 1);  // a relative link is taken from the link's own folder
      target += link;
    }
  }
  return false;
}

// A device node takes the image as it comes; there is nothing to replace.
bool writedevice(const TPixmap& pixmap, const std::string& target, int level) {
  const int fd = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  pngsink sink;
  sink.file = fdopen(fd, "wb");
  if (sink.file == nullptr) {
    close(fd);
    return false;
  }
  const bool ok = writeimage(pixmap, sink, level);
  return std::fclose(sink.file) == 0 && ok;
}

}  // namespace

int WritePNG(const TPixmap& pixmap, const text& path, int level, const std::vector<fileid>& keep) {
  level = std::clamp(level, 0, 9);
  if (pixmap.width() < 1 || pixmap.height() < 1 || path.empty() || !usablepath(path)) return 0;
  std::string target = nativepath(path);
  struct stat st {};
  bool exists = false;
  if (!followlinks(target, st, exists)) return 0;
  if (exists) {
    const fileid id{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    if (std::find(keep.begin(), keep.end(), id) != keep.end()) return 0;
    if (S_ISCHR(st.st_mode)) return writedevice(pixmap, target, level) ? 1 : 0;
    if (!S_ISREG(st.st_mode) || access(target.c_str(), W_OK) != 0) return 0;
  }
  // The new file goes beside the target, so the final rename stays within one file system.
  std::string temp = target.substr(0, target.find_last_of('/') + 1) + ".tracewell-XXXXXX";
  tempfileguard guard;
  const int fd = guard.create(temp);
  if (fd < 0) return 0;
  bool ready = true;
  if (exists) {
    ready = keepattributes(fd, st);
  } else {
    setusualmode(fd);
  }
  pngsink sink;
  sink.file = ready ? fdopen(fd, "wb") : nullptr;
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

// Synthetic ZIP archives for tests, written by libzip in memory, and the offsets of their fields for damage.
#include "testlib/zipbuilder.h"

#include <zip.h>

#include <algorithm>
#include <stdexcept>

#include "testlib/wadbuilder.h"

namespace tracewell::testkit {

namespace {

// Field `f` of the record that starts at `record`.
std::uint32_t getfield(const std::string& b, std::size_t record, wadformat::field f) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < f.width; ++i)
    v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(record + f.offset + i))) << (8 * i);
  return v;
}

void putfield(std::string& b, std::size_t record, wadformat::field f, std::uint32_t v) {
  for (std::size_t i = 0; i < f.width; ++i)
    b.at(record + f.offset + i) = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("buildzip: ") + what);
}

}  // namespace

std::string buildzip(const std::vector<zipentry>& entries) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &error);
  check(out != nullptr, "buffer");
  zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, &error);
  check(z != nullptr, "open");
  zip_source_keep(out);  // read back after zip_close
  for (const zipentry& e : entries) {
    zip_source_t* data = zip_source_buffer(z, e.data.data(), e.data.size(), 0);
    check(data != nullptr, "entry source");
    const zip_int64_t index = zip_file_add(z, e.name.c_str(), data, ZIP_FL_ENC_RAW);
    check(index >= 0, "add");
    const auto i = static_cast<zip_uint64_t>(index);
    // The fastest level: reading does not care, and the tests pack whole IWADs.
    check(zip_set_file_compression(z, i, e.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, e.deflate ? 1 : 0) == 0,
          "compression");
    if (!e.password.empty())
      check(zip_file_set_encryption(z, i, ZIP_EM_AES_256, e.password.c_str()) == 0, "aes");
  }
  check(zip_close(z) == 0, "close");
  std::string bytes;
  check(zip_source_open(out) == 0, "reopen");
  char buf[4096];
  for (zip_int64_t n; (n = zip_source_read(out, buf, sizeof buf)) > 0;)
    bytes.append(buf, static_cast<std::size_t>(n));
  zip_source_close(out);
  zip_source_free(out);
  zip_error_fini(&error);
  // Set here rather than by libzip, which flags every name that is valid UTF-8 and not ASCII.
  namespace central = wadformat::zipcentralheader;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::uint32_t flags = getfield(bytes, centralheader(bytes, i), central::flags);
    patchentry(bytes, i, central::flags, wadformat::ziplocalheader::flags,
               entries[i].utf8 ? flags | central::utf8name : flags & ~central::utf8name);
  }
  return bytes;
}

std::string emptyzip() {
  std::string end(wadformat::zipendrecord::signature);
  end.resize(wadformat::zipendrecord::bytes, '\0');
  return end;
}

std::vector<zipentry> mapwadentries(const std::string& path, const std::vector<std::string>& names) {
  const std::shared_ptr<wad> iwad = readwad(bytestream::openread(u(path)));
  std::vector<zipentry> entries;
  if (!iwad) return entries;
  for (const text& name : iwad->getmapnames()) {
    if (!names.empty() && std::find(names.begin(), names.end(), tobytes(name)) == names.end()) continue;
    wadbuilder b;
    for (const auto& l : iwad->getmaplumps(name, wad::maplumps)) {
      std::string data(static_cast<std::size_t>(l->size), '\0');
      l->stream->seek(l->filepos);
      l->stream->readbytes(data.data(), data.size());
      b.addlump(tobytes(l->trimmedname()), data);
    }
    entries.push_back({"maps/" + tobytes(name) + ".wad", b.bytes(), entries.size() % 2 == 0, ""});
  }
  return entries;
}

std::size_t centralheader(const std::string& zip, std::size_t index) {
  namespace central = wadformat::zipcentralheader;
  const std::size_t end = zip.rfind(wadformat::zipendrecord::signature);
  check(end != std::string::npos, "no end record");
  std::size_t at = getfield(zip, end, wadformat::zipendrecord::directoryoffset);
  for (std::size_t i = 0; i < index; ++i) {
    at += central::bytes + getfield(zip, at, central::namelength) + getfield(zip, at, central::extralength) +
          getfield(zip, at, central::commentlength);
  }
  check(zip.compare(at, central::signature.size(), central::signature) == 0, "no central header");
  return at;
}

std::size_t localheader(const std::string& zip, std::size_t index) {
  return getfield(zip, centralheader(zip, index), wadformat::zipcentralheader::localheaderoffset);
}

std::size_t dataoffset(const std::string& zip, std::size_t index) {
  const std::size_t at = localheader(zip, index);
  namespace local = wadformat::ziplocalheader;
  return at + local::bytes + getfield(zip, at, local::namelength) + getfield(zip, at, local::extralength);
}

void patchentry(std::string& zip, std::size_t index, wadformat::field central, wadformat::field local,
                std::uint32_t value) {
  putfield(zip, centralheader(zip, index), central, value);
  putfield(zip, localheader(zip, index), local, value);
}

}  // namespace tracewell::testkit

// Pipes: the real tool's --dump over a FIFO of zeros, refused by its first bytes, and over a FIFO that
// starts as a WAD and goes on past the limit of a pipe read into memory.
#include "streamcost.h"

#include <filesystem>

#include "testlib/harness.h"

namespace tracewell::bench {

streamcost runstreamcost(const std::string& exe, const std::string& folder) {
  streamcost c;
  const std::filesystem::path dir = folder;
  const auto dump = [&](const std::string& name, const std::string& start, std::uint64_t& read) {
    std::error_code ec;
    std::filesystem::remove(dir / name, ec);
    testkit::fifowriter writer(dir / name, start, true);
    const childresult r = runchild(exe, "", folder, {"--dump", (dir / name).string()});
    read = writer.written();
    std::filesystem::remove(dir / name, ec);
    return r;
  };
  try {
    c.zeros = dump("zeros", "", c.zerosread);
    c.overlimit = dump("overlimit", "PWAD", c.overread);
  } catch (const std::exception& e) {
    c.error = std::string("streams: ") + e.what();
  }
  return c;
}

}  // namespace tracewell::bench

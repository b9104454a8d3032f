// The compact PNG encoding: the real tool with a settings file that asks for it, against the libpng floor.
#include "compactrun.h"

#include <png.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "pngfloor.h"
#include "render/pixmap.h"
#include "stopwatch.h"

namespace tracewell::bench {

namespace {

namespace fs = std::filesystem;

constexpr int pnglevel = 5;

std::string loadaverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// The delivered settings with the compact encoding switched on, as a user would write it.
std::string fixture(const std::string& delivered, const fs::path& workdir, std::string& error) {
  std::ifstream in(delivered, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::size_t open = text.find("#settings[");
  if (open == std::string::npos) {
    error = "no #settings[ node in " + delivered;
    return {};
  }
  text.insert(open + 10, "\n    png_encoding: compact;\n");
  const fs::path path = workdir / "compactsettings.txt";
  std::ofstream(path, std::ios::binary) << text;
  return path.string();
}

// Runs `args` `runs` times, the files going to `folder` (emptied before each run).
compactrun repeat(const std::string& what, const std::string& exe, std::vector<std::string> args,
                  const fs::path& folder, int runs, const std::string& workdir) {
  compactrun r;
  r.what = what;
  for (int i = 0; i < runs; ++i) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    r.loads.push_back(loadaverage());
    r.runs.push_back(runchild(exe, "", workdir, args));
  }
  return r;
}

std::unique_ptr<TPixmap> decode(const fs::path& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return nullptr;
  image.format = PNG_FORMAT_RGBA;
  auto p = TPixmap::Create(static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height));
  if (!p || !png_image_finish_read(&image, nullptr, p->PixelPtr(0, 0), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  return p;
}

// The files the last run left: their bytes, and libpng's floor for their pixels.
void measurefiles(compactrun& r, const fs::path& folder) {
  std::vector<unsigned char> encoded;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() != ".png") continue;
    ++r.files;
    r.bytes += static_cast<std::int64_t>(entry.file_size());
    const std::unique_ptr<TPixmap> pixels = decode(entry.path());
    if (!pixels) {
      r.samepixels = false;
      continue;
    }
    stopwatch watch;
    floorencode(*pixels, pnglevel, encoded);
    r.floorms += watch.lap();
    r.floorbytes += static_cast<std::int64_t>(encoded.size());
  }
  fs::remove_all(folder);
}

}  // namespace

std::size_t compactrun::quietest() const {
  std::size_t best = 0;
  for (std::size_t i = 1; i < runs.size(); ++i) {
    if (runs[i].wallms < runs[best].wallms) best = i;
  }
  return best;
}

bool compactrun::clean() const {
  bool ok = !runs.empty() && files > 0 && samepixels;
  for (const childresult& c : runs) ok = ok && c.started && c.status == 0;
  return ok;
}

compactcost runcompact(const std::string& exe, const std::string& delivered, const std::string& wadpath,
                       const std::vector<std::string>& batchwads, std::int32_t small, std::int32_t large,
                       std::int32_t margin, int runs, const std::string& workdir) {
  compactcost cost;
  const fs::path work = workdir;
  cost.settings = fixture(delivered, work, cost.error);
  if (!cost.error.empty()) return cost;
  cost.imagebytes = TPixmap::StorageSize(large, large);
  const std::string largesize = std::to_string(large) + "x" + std::to_string(large);
  const std::string smallsize = std::to_string(small) + "x" + std::to_string(small);
  const auto common = [&](const std::string& size) {
    return std::vector<std::string>{"--settings", cost.settings,          "-s", size,
                                    "-M",         std::to_string(margin), "-f", "Doom"};
  };
  const auto single = [&](const std::string& scheme, const fs::path& folder, const std::string& map) {
    std::vector<std::string> args = common(largesize);
    args.insert(args.end(), {wadpath, "-c", scheme, "-m", map, "-o", (folder / "%.png").string()});
    return args;
  };
  const fs::path automap = work / "compact-automap", poster = work / "compact-poster",
                 one = work / "compact-onemap", batch = work / "compact-batch";
  cost.automap = repeat("ALL, Automap", exe, single("Automap", automap, "ALL"), automap, runs, workdir);
  cost.poster = repeat("ALL, Poster", exe, single("Poster", poster, "ALL"), poster, runs, workdir);
  cost.onemap = repeat("MAP01 alone, Automap", exe, single("Automap", one, "MAP01"), one, runs, workdir);
  std::vector<std::string> args = common(smallsize);
  args.insert(args.end(), {"-c", "Automap", "--dest", batch.string(), "-a"});
  args.insert(args.end(), batchwads.begin(), batchwads.end());
  cost.batch = repeat("batch", exe, args, batch, runs, workdir);

  measurefiles(cost.automap, automap);
  measurefiles(cost.poster, poster);
  measurefiles(cost.onemap, one);
  measurefiles(cost.batch, batch);
  return cost;
}

}  // namespace tracewell::bench

// Several WADs in one run of the tool, against the single-core floor, and the same run again skipping all.
#include "batchrun.h"

#include <filesystem>

#include "childrun.h"
#include "realwork.h"

namespace tracewell::bench {

batchcost runbatch(const std::string& exe, const std::vector<std::string>& wads, std::int32_t size,
                   std::int32_t margin, const std::string& workdir) {
  namespace fs = std::filesystem;
  batchcost cost;
  const fs::path floors = fs::path(workdir) / "batchfloor";
  for (const std::string& wad : wads) {
    fs::create_directories(floors);
    const realwork work = runrealwork(wad, size, margin, 1, floors.string());
    fs::remove_all(floors);
    if (!work.error.empty() || work.maps.empty()) continue;
    cost.wads.push_back(wad);
    cost.maps += work.maps.size();
    cost.floorwall += work.floorwall();
  }
  if (cost.wads.empty()) {
    cost.error = "no WAD with maps";
    return cost;
  }
  const fs::path dest = fs::path(workdir) / "batch";
  std::vector<std::string> args = {"--dest",     dest.string(),
                                   "--manifest", (dest / "maps.jsonl").string(),
                                   "-s",         std::to_string(size) + "x" + std::to_string(size),
                                   "-M",         std::to_string(margin),
                                   "-c",         "Automap",
                                   "-f",         "Doom",
                                   "-a"};
  args.insert(args.end(), cost.wads.begin(), cost.wads.end());
  const childresult first = runchild(exe, "", workdir, args);
  for (const auto& entry : fs::recursive_directory_iterator(dest))
    cost.files += entry.path().extension() == ".png";
  args.insert(args.begin(), "--skip-existing");
  const childresult second = runchild(exe, "", workdir, args);
  cost.firststatus = first.started ? first.status : -1;
  cost.secondstatus = second.started ? second.status : -1;
  cost.firstms = first.wallms;
  cost.secondms = second.wallms;
  fs::remove_all(dest);
  return cost;
}

}  // namespace tracewell::bench

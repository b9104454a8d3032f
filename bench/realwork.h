// The real work: every map of a WAD drawn and saved in process, against the floor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tracewell::bench {

// One map's costs at one image size, in milliseconds.
struct mapcost {
  std::string name;
  std::size_t lines = 0;      // linedefs of the map
  double readms = 0;          // lump group lookup and map::Create
  double drawms = 0;          // render: classify, fit, create and clear the buffer, draw
  double writems = 0;         // WritePNG to a file, then releasing the buffer
  double floorms = 0;         // floorencode of the same final buffer
  double floorwallms = 0;     // the same encode in wall time, whichever clock the others use
  std::int64_t pngbytes = 0;  // size of the written file
  bool samebytes = false;     // the file equals the floor's encoding byte for byte

  double total() const { return readms + drawms + writems; }
};

// All maps of one WAD at one size.
struct realwork {
  std::int32_t size = 0;
  double wadms = 0;  // opening the WAD and reading its directory, once per run
  std::vector<mapcost> maps;
  std::string error;  // set when the WAD could not be read; then `maps` is empty

  double total() const;      // wadms and every map's total
  double floor() const;      // every map's floor
  double floorwall() const;  // every map's floor in wall time: one core, one image after another
};

// Opens `wadpath` as the tool does, reads it in the Doom layout, and for each
// map that loads: draws it at `size` x `size` with `margin` in the fallback
// look (opaque black background, default colours and orders, action lines
// not special), saves it as "<outdir>/<name>.png" at level 5 and encodes the
// same buffer for the floor. The maps are done in turn, each completely,
// writing and encoding in alternating order so that neither always finds the
// buffer in the cache. With `rounds` above 1 the whole pass is repeated and
// each time is the least seen. `outdir` must exist.
realwork runrealwork(const std::string& wadpath, std::int32_t size, std::int32_t margin, int rounds,
                     const std::string& outdir);

// The per-map table and its total row.
void printrealwork(const realwork& work);

}  // namespace tracewell::bench

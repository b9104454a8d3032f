// Archive bombs: ZIP archives that inflate to gigabytes or hold many maps, read through the map source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tracewell::bench {

// Listing an archive whose only entry, x.wad, is 2^31 zero bytes deflated.
struct bombcost {
  std::uint64_t archivebytes = 0;  // the ZIP file's size
  std::uint64_t entrybytes = 0;    // x.wad's declared size
  double ms = 0;                   // opening the archive and listing its maps
  std::size_t names = 0;           // maps listed: none, as x.wad is no WAD
  std::uint64_t inflated = 0;      // bytes the opening inflated
  std::string error;
};

// Writes the bomb into `folder`, then opens it and lists its maps as the
// dialogue does, least of `rounds`.
bombcost runbomblisting(const std::string& folder, int rounds);

// An ALL run over an archive against the same names in a plain WAD: every
// listed name loaded through the map source, and each map that loads drawn
// at a size in the fallback look and written as a PNG file.
struct allcost {
  std::uint64_t archivebytes = 0;  // the ZIP file's size
  std::uint64_t heldbytes = 0;     // the largest embedded WAD's size
  std::uint64_t entrybytes = 0;    // all embedded WADs' sizes
  std::uint64_t inflated = 0;      // what the archive's run inflated: listing, then each WAD once when held
  std::size_t names = 0;           // listed names, each tried in turn
  std::size_t drawn = 0;           // of those, maps drawn and written
  double archivems = 0;            // opening, listing and the run, from the archive
  double plainms = 0;              // the same from the plain WAD
  bool same = true;                // both runs listed the same names and wrote the same files
  std::string error;

  double ratio() const { return archivems / plainms; }
  // Bytes inflated per byte of the entries: 2 when the listing read each
  // WAD once and the run once more, more when an entry was read again.
  double inflations() const { return static_cast<double>(inflated) / static_cast<double>(entrybytes); }
};

// A ZIP holding big.wad (the odd maps of `wadpath` and a lump of zeros
// bringing it to `bigbytes`) and small.wad (the even maps, each followed by
// an empty marker of the odd map before it), so that after big.wad's names
// the listed names take turns between the two entries; against a plain WAD
// of the same maps in the same listing order. Drawn at `size` x `size` with
// `margin`; the least of `rounds` for each, the two in alternating order.
allcost runalternating(const std::string& wadpath, std::uint64_t bigbytes, std::int32_t size,
                       std::int32_t margin, const std::string& folder, int rounds);

// A ZIP holding one WAD of `markers` x 2 empty entries (each name twice, as
// the map lookup figure builds them), against that WAD as a file. None of
// them is a map: the run is the lookups and the attempts alone.
allcost runmanynames(std::size_t markers, const std::string& folder, int rounds);

}  // namespace tracewell::bench

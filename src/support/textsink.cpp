// Where a document's text goes: a sink takes it piece by piece, so no document is held whole.
#include "support/textsink.h"

namespace tracewell {

outputstatus writethrough(outputfile& out, const std::function<bool(const textsink&)>& write) {
  if (!out.status().ok()) return out.status();
  const bool written = write([&out](std::string_view piece) {
    out.write(piece.data(), piece.size());
    return out.status().ok();
  });
  if (!written && out.status().ok()) out.abandon();
  return out.finish();
}

}  // namespace tracewell

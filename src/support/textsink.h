// Where a document's text goes: a sink takes it piece by piece, so no document is held whole.
#pragma once

#include <functional>
#include <string_view>

#include "support/outputfile.h"

namespace tracewell {

// Takes the next piece of the text; false stops the writing.
using textsink = std::function<bool(std::string_view)>;

// Runs `write` with a sink into `out` (opened already), then finishes `out` but does not commit it: the
// caller that opened it puts it in place. A refused `out` is left as it is. When `write` fails the file
// goes (nocontent), unless the file itself refused bytes, which stays its failure.
outputstatus writethrough(outputfile& out, const std::function<bool(const textsink&)>& write);

}  // namespace tracewell

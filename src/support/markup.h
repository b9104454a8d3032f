// Text for XML and HTML documents: names from files and paths made safe to put between tags or quotes.
#pragma once

#include <string>
#include <string_view>

namespace tracewell {

// `bytes` read as UTF-8 and made fit for XML and HTML text and attribute values: `&`, `<`, `>`, `"`
// and `'` become character references, each byte of an invalid sequence (and a non-character
// U+FFFE or U+FFFF) becomes U+FFFD, and control characters (C0, DEL, C1) are dropped. Appends to `out`.
void appendmarkup(std::string& out, std::string_view bytes);
std::string markuptext(std::string_view bytes);

}  // namespace tracewell

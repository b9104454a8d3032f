// What every web page of the tool shares: the head with its security policy and the one style block.
#pragma once

#include <string>
#include <string_view>

namespace tracewell {

// The start of a page up to and including <body>: the document type, UTF-8, a Content-Security-Policy
// that lets run only the script whose hash is `scripthash` ("sha256-..."), applies only the page's own
// style block, and loads images only from `imagesources` (a source list; empty: none), the viewport,
// the title (bytes read as UTF-8, escaped here) and the style block.
std::string pagehead(std::string_view title, std::string_view scripthash, std::string_view imagesources = {});

// The end of a page: the one script, which must be the one `pagehead` was given the hash of, then
// the closing tags.
std::string pagetail(std::string_view script);

}  // namespace tracewell

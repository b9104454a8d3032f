// The kinds of file a map is written as (PNG, SVG, HTML): their words, extensions, failure lines and endings.
#include "app/filekind.h"

#include <fstream>
#include <string>

#include "support/path.h"

namespace tracewell {

namespace {

// Where the extension of `path` starts (its last "." after the last "/"), or npos.
std::size_t extensionat(const text& path) {
  const std::size_t slash = path.find_last_of(u'/');
  const std::size_t dot = path.find_last_of(u'.');
  if (dot == text::npos || (slash != text::npos && dot < slash)) return text::npos;
  return dot;
}

}  // namespace

filekind kindofpath(const text& path) {
  const std::size_t dot = extensionat(path);
  if (dot == text::npos) return filekind::png;
  const text extension = lower(path.substr(dot + 1));
  for (const filekindrow& row : filekinds) {
    if (!row.alias.empty() && extension == row.alias) return row.kind;
  }
  return kindofword(extension).value_or(filekind::png);
}

std::optional<filekind> kindofword(const text& word) {
  const text lowered = lower(word);
  for (const filekindrow& row : filekinds) {
    if (lowered == row.word) return row.kind;
  }
  return std::nullopt;
}

text kindwords() {
  text out;
  for (const filekindrow& row : filekinds) out += (out.empty() ? u"" : u", ") + text(row.word);
  return out;
}

text patternfor(const text& pattern, filekind k) {
  std::size_t dot = extensionat(pattern);
  // "shots/doom2.%" names each map's file: a last part holding "%" or "*" is no extension to replace,
  // else every map's further files would share one name.
  if (dot != text::npos && pattern.find_first_of(u"%*", dot) != text::npos) dot = text::npos;
  return (dot == text::npos ? pattern : pattern.substr(0, dot)) + u"." + text(rowof(k).word);
}

bool complete(const text& path, filekind k) {
  const std::string_view ending = rowof(k).ending;
  std::ifstream in(nativepath(path), std::ios::binary);
  if (!in.seekg(-static_cast<std::streamoff>(ending.size()), std::ios::end)) return false;
  std::string tail(ending.size(), '\0');
  return in.read(tail.data(), static_cast<std::streamsize>(tail.size())) && tail == ending;
}

}  // namespace tracewell

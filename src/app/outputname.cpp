// The output file of one map: the pattern filled in, and the files an image must never replace.
#include "app/outputname.h"

#include <algorithm>
#include <cstring>

#include "app/batchplan.h"
#include "support/terminal.h"
#include "support/timestamp.h"

namespace tracewell {

namespace {
// Output is printed in parts of about this many code units.
constexpr std::size_t printpart = std::size_t{1} << 15;
}  // namespace

mapfile makemapfile(const text& pattern, const text& name, const text& folder, bool literalname) {
  return makemapfile(pattern, name, folder, timestamp::now().todottedstring(), literalname);
}

mapfile makemapfile(const text& pattern, const text& name, const text& folder, const text& stamp,
                    bool literalname) {
  mapfile f;
  f.folder = folder;
  f.stamp = stamp;
  // A name of no characters would make a hidden file of the extension alone.
  f.filledname = name.empty()  ? text(u"_")
                 : literalname ? filenamesafe(name)
                               : replaceall(filenamesafe(name), u"*", f.stamp);
  f.length = folder.empty() ? 0 : folder.size() + 1;
  eachpiece(pattern, f.filledname, f.stamp, [&f](std::u16string_view piece) { f.length += piece.size(); });
  if (!f.toolong()) {
    f.path.reserve(f.length);
    if (!folder.empty()) f.path.append(folder).append(u"/");
    eachpiece(pattern, f.filledname, f.stamp, [&f](std::u16string_view piece) { f.path += piece; });
  }
  return f;
}

bool leavesitsfolder(const text& path, const text& folder) {
  return !folder.empty() && leavesfolder(path.substr(std::min(path.size(), folder.size() + 1)));
}

text loadfailedline(const text& name) {
  return u"Failed to load map lumps for \"" + printable(name) + u"\". Image not outputted.";
}

text toolargeline(std::int32_t width, std::int32_t height, const text& name) {
  return u"Image size " + inttotext(width) + u" x " + inttotext(height) + u" is too large for \"" +
         printable(name) + u"\". Image not outputted.";
}

text writefailedline(const text& path, filekind kind) {
  return u"Failed to write " + text(rowof(kind).name) + u" file \"" + printable(path) + u"\".";
}

text writereasonline(const kindfile& f) {
  using reason = failure::reason;
  text why;
  if (f.error != 0) {
    why = fromutf8(std::strerror(static_cast<int>(f.error)));
  } else if (f.why == reason::badpath) {
    why = u"not a usable file name";
  } else if (f.why == reason::owninput) {
    why = u"it is one of this run's inputs";
  } else if (f.why == reason::notregular) {
    why = u"not a regular file";
  } else if (f.why == reason::writefailed) {
    why = u"not every byte could be written";
  }
  if (why.empty()) return {};
  return u"tracewell: " + printable(f.path) + u": " + why;
}

void sayfailures(const std::vector<text>& errors, const std::vector<kindfile>& files, voice v) {
  for (const text& line : errors) {
    sayline(line, v);
    if (v == voice::dialogue) continue;
    for (const kindfile& f : files) {
      if (f.written || line != writefailedline(f.path, f.kind)) continue;
      if (const text reasonline = writereasonline(f); !reasonline.empty()) sayline(reasonline, v);
      break;
    }
  }
}

void printfailedwrite(const text& pattern, const mapfile& file, voice v, filekind kind) {
  clearprogress();
  terminal& t = currentterminal();
  const auto emit = [&t, v](const text& part) {
    if (v == voice::dialogue) {
      t.write(toutf8(part));
    } else {
      t.writeerror(toutf8(part));
    }
  };
  text part = u"Failed to write " + text(rowof(kind).name) + u" file \"";
  if (!file.folder.empty()) part.append(printable(file.folder)).append(u"/");
  eachpiece(pattern, file.filledname, file.stamp, [&part, &emit](std::u16string_view piece) {
    part += printable(text(piece));
    if (part.size() >= printpart) {
      emit(part);
      part.clear();
    }
  });
  emit(part + (v == voice::dialogue ? u"\".\r\n" : u"\".\n"));
}

}  // namespace tracewell

// The prompt dialogue of one cycle: WAD, map, format, image size, colour scheme, output pattern.
#include <new>
#include <utility>

#include "app/console.h"
#include "app/numbers.h"
#include "app/report.h"
#include "support/process.h"
#include "support/terminal.h"
#include "wad/mapformat.h"
#include "wad/mapsource.h"
#include "wad/wad.h"

namespace tracewell {

namespace {

const text answerprompt = u"> ";

// "Input WAD format? (Options: Doom, Hexen, ZDoom) ", from the table of formats.
text formatprompt() {
  text options;
  for (const mapformat& f : mapformats) {
    if (f.offered) options += (options.empty() ? u"" : u", ") + text(f.word);
  }
  return u"Input WAD format? (Options: " + options + u") ";
}

// Past the WAD path prompt a session that runs out of input stops in the middle
// of a request; say so and fail, rather than asking again without end.
text orunexpectedend(std::optional<text> answer) {
  if (answer) return std::move(*answer);
  printline(u"Unexpected end of input.");
  exitprocess(1);
}

text quoted(const text& s) {
  return u"\"" + s + u"\"";
}

}  // namespace

std::optional<text> console::getinput(const text& prompt, const text& fallback) {
  printline(prompt);
  printline(u"(Leave blank for " + quoted(fallback) + u")");
  std::optional<text> answer = readline(answerprompt);
  if (answer && answer->empty()) return fallback;
  return answer;
}

void console::requestinputs(text startpath) {
  // The WAD: repeat until one with maps is open.
  for (;;) {
    text path;
    if (!startpath.empty()) {
      printline(u"Opening WAD " + quoted(startpath) + u".");
      path = std::exchange(startpath, text());
    } else {
      std::optional<text> answer = getinput(u"Input WAD path?", inputpath);
      // The end of a scripted session: nothing was asked for yet, so end quietly.
      if (!answer) exitprocess(run && run->missed() ? 2 : 0);
      path = std::move(*answer);
    }
    if (const char16_t* refused = openwad(path)) {
      printline(text(refused) + u" Try again?");
      continue;
    }
    inputpath = path;
    break;
  }
  printline(u"Maps in WAD:");
  printline(getmapstring(maps));

  // The map: no default, so an empty answer is refused like any unknown name.
  mapname.clear();
  while (mapname.empty()) {
    printline(u"Input map? (Input " + quoted(u"ALL") + u" to output all maps.)");
    const text answer = upper(orunexpectedend(readline(answerprompt)));
    if (answer == u"ALL") {
      mapname = u"ALL";
    } else {
      for (const text& m : maps) {
        if (upper(m) == answer) {
          mapname = answer;
          break;
        }
      }
    }
    if (mapname.empty()) printline(text(refusal::badmap) + u" Try again?");
  }

  // The format.
  for (;;) {
    const text answer = orunexpectedend(getinput(formatprompt(), formatname));
    format = getformat(answer);
    if (format >= 0) {
      formatname = answer;
      break;
    }
    printline(text(refusal::badformat) + u" Try again?");
  }

  // The image size: any number is taken; the renderer copes with the odd ones.
  width = tonumber(orunexpectedend(getinput(u"Input automap image width?", inttotext(width))));
  height = tonumber(orunexpectedend(getinput(u"Input automap image height?", inttotext(height))));
  margin = tonumber(orunexpectedend(getinput(u"Input automap image margins?", inttotext(margin))));

  // The colour scheme.
  printline(u"Available color schemes:");
  printline(getschemestring());
  for (;;) {
    const text answer = orunexpectedend(getinput(u"Input automap color scheme?", schemename));
    scheme = getscheme(answer);
    if (scheme) {
      schemename = answer;
      break;
    }
    printline(text(refusal::badscheme) + u" Try again?");
  }

  // The output pattern, checked only when the files are written.
  outputpath = orunexpectedend(
      getinput(u"Input automap PNG path? (Note: * replaced by date/time. % by map name.)", outputpath));
}

const char16_t* console::openwad(const text& path, voice v) {
  result<const char16_t*> refused = tryopen(path);
  if (!refused.ok()) report(refused.error(), v);  // a stream failure: ends the process
  return refused.value();
}

result<const char16_t*> console::tryopen(const text& path) {
  // A WAD file or a ZIP archive of WADs, told apart by content.
  result<std::shared_ptr<mapsource>> opened = openmapsource(path, {}, detection);
  if (!opened.ok()) {
    const failure& f = opened.error();
    if (f.what != failure::kind::notice) return f;  // a stream failure
    return f.why == failure::reason::cannotopen ? refusal::cannotopen : refusal::notawad;
  }
  const std::shared_ptr<mapsource> opensource = std::move(opened).value();
  try {
    maps = opensource->getmapnames();
  } catch (const std::bad_alloc&) {
    // More names than memory holds: a source this tool cannot use.
    maps.clear();
    return refusal::notawad;
  }
  if (maps.empty()) return refusal::nomaps;
  if (run) {
    run->open(opensource);
  } else {
    run = std::make_shared<maprun>(opensource);
  }
  w = opensource->wadfile();
  wstream = w ? w->stream : nullptr;
  return static_cast<const char16_t*>(nullptr);
}

text console::getmapstring(const std::list<text>& names) const {
  text out;
  std::size_t count = 0;
  for (const text& name : names) {
    out += u' ';
    out += printable(name);
    if (++count % 4 == 0) out += u'\n';
  }
  // Drop the line feed after a full last line.
  if (count % 4 == 0 && !out.empty()) out.pop_back();
  return out;
}

text console::getschemestring() const {
  text out;
  for (const auto& s : schemes) out += s->name + u"\n";
  if (!out.empty()) out.pop_back();
  return out;
}

std::shared_ptr<tracewell::scheme> console::getscheme(const text& name) const {
  const text wanted = lower(name);
  for (const auto& s : schemes) {
    if (lower(s->name) == wanted) return s;
  }
  return nullptr;
}

std::int32_t console::getformat(const text& word) {
  const text wanted = lower(word);
  for (const mapformat& f : mapformats) {
    if (lower(text(f.word)) == wanted) return f.tag;
  }
  return -1;
}

}  // namespace tracewell

// The prompt dialogue of one cycle: WAD, map, format, image size, colour scheme, output pattern.
#include <utility>

#include "app/console.h"
#include "app/mapchoice.h"
#include "app/numbers.h"
#include "app/report.h"
#include "support/process.h"
#include "support/terminal.h"
#include "wad/mapformat.h"
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
    if (const status opened = openwad(path); !opened.ok()) {
      printline(refusaltext(opened.error()) + u" Try again?");
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
    if (const auto chosen = choosemaps(mapchoice::of({answer}), maps, unlistedname::refuse))
      mapname = chosen->all ? text(u"ALL") : answer;
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

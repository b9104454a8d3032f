// What every run of the command line settles before its first map: the look, the manifest, the words of
// a refused input.
#include "app/runsetup.h"

#include "app/commandline.h"
#include "app/console.h"
#include "app/manifest.h"
#include "support/terminal.h"

namespace tracewell {

text inputline(const text& input, const text& why) {
  text line = u"tracewell: ";
  line.append(printable(input)).append(u": ").append(why);
  return line;
}

text manifestline(const text& path) {
  return u"cannot write the manifest \"" + printable(path) + u"\"";
}

runend inputrefused(const text& path, const failure& f) {
  if (f.what != failure::kind::notice) return runend::stop(f);
  return {runoutcome::refused, {inputline(path, refusaltext(f))}};
}

std::optional<runend> startmanifest(manifestwriter& m, const text& path, const std::vector<fileid>& keep) {
  const outputstatus started = m.open(path, keep);
  if (started.ok()) return std::nullopt;
  if (started.error().why == failure::reason::owninput)
    return runend::refusal(manifestline(path) + u": it is an input or the settings file");
  return runend::refusal(manifestline(path));
}

runoutcome finishmanifest(manifestwriter& m, const text& path) {
  if (m.close().ok()) return runoutcome::done;
  printerrorline(u"tracewell: " + manifestline(path));
  return runoutcome::missed;
}

std::optional<runend> applyformat(const commandline& cl, console& c) {
  if (cl.format) c.formatname = *cl.format;
  c.format = console::getformat(c.formatname);
  if (c.format < 0) return runend::refusal(refusal::badformat);
  return std::nullopt;
}

std::optional<runend> applylook(const commandline& cl, console& c) {
  if (std::optional<runend> refused = applyformat(cl, c)) return refused;
  if (cl.scheme) c.schemename = *cl.scheme;
  c.scheme = c.getscheme(c.schemename);
  if (!c.scheme) return runend::refusal(refusal::badscheme);
  c.extra = cl.extra;
  if (cl.width) c.width = *cl.width;
  if (cl.height) c.height = *cl.height;
  if (cl.margin) c.margin = *cl.margin;
  if (cl.png) c.png = *cl.png;
  return std::nullopt;
}

}  // namespace tracewell

// The command line's run: every answer from options or the settings, no dialogue.
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/batchrun.h"
#include "app/checkrun.h"
#include "app/commandline.h"
#include "app/console.h"
#include "app/diffrun.h"
#include "app/entry.h"
#include "app/mapchoice.h"
#include "app/numbers.h"
#include "app/runsetup.h"
#include "support/path.h"
#include "support/terminal.h"

namespace tracewell {

namespace {

// A relative path written in a settings file is taken from that file's folder.
text besidesettings(const text& settingspath, const text& path) {
  const bool absolute = !path.empty() && (path[0] == u'/' || path[0] == u'\\');
  const text folder = directorypart(settingspath);
  if (absolute || path.empty() || folder.empty()) return path;
  return folder + u"/" + path;
}

// The settings file of a run: --settings, else the user's own file when there
// is one, else the delivered one beside the program. A relative
// XDG_CONFIG_HOME is ignored, as the XDG base directory rules ask.
text settingsfile(const commandline& cl, const text& programfolder) {
  if (cl.settings) return *cl.settings;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::string user;
  if (config != nullptr && config[0] == '/')
    user = config;
  else if (home != nullptr && home[0] != '\0')
    user = std::string(home) + "/.config";
  if (!user.empty() && identify(fromutf8(user + "/tracewell/settings.txt")))
    return fromutf8(user + "/tracewell/settings.txt");
  return (programfolder.empty() ? text() : programfolder + u"/") + u"settings.txt";
}

}  // namespace

runend runcommandline(const commandline& cl, const text& programfolder) {
  if (!cl.error.empty())
    return {runoutcome::refused, {u"tracewell: " + printable(cl.error), u"Try 'tracewell --help'."}};
  if (cl.help) {
    currentterminal().write(usagetext());
    return {};
  }
  if (cl.version) {
    printplainline(u"Tracewell v1.0");
    return {};
  }

  const text settingspath = settingsfile(cl, programfolder);
  result<std::shared_ptr<console>> loaded = console::load(settingspath);
  if (!loaded.ok()) return runend::stop(loaded.error());
  console& c = *loaded.value();
  if (cl.detection) c.detection = *cl.detection;

  if (cl.dump) return rundump(cl, c);
  if (cl.diff) return rundiff(cl, c);
  if (cl.check)
    return runcheck(cl, c, cl.inputs.empty() ? besidesettings(settingspath, c.inputpath) : text());
  if (cl.batch() && !cl.list)
    return runbatch(cl, c, cl.inputs.empty() ? besidesettings(settingspath, c.inputpath) : text());

  // Checked in the dialogue's order: WAD, maps, format, scheme.
  const text wadpath = !cl.inputs.empty() ? cl.inputs.front() : besidesettings(settingspath, c.inputpath);
  if (const status opened = c.tryopen(wadpath); !opened.ok()) {
    const failure f = asinputrefusal(opened.error());
    if (f.what != failure::kind::notice) return runend::stop(f);
    return runend::refusal(refusaltext(f));
  }
  c.run->mode = voice::commandline;
  c.inputpath = wadpath;
  if (cl.list) {
    for (const text& name : c.maps) printplainline(printable(name));
    return {};
  }

  if (cl.maps.empty()) return runend::refusal(u"no map given (use --map NAME or --all)");
  // Every name asked for must be listed, alongside ALL too.
  const std::optional<mapselection> chosen = choosemaps(mapchoice::of(cl.maps), c.maps, unlistedname::refuse);
  if (!chosen) return runend::refusal(refusal::badmap);

  if (std::optional<runend> refused = applylook(cl, c)) return *refused;
  if (cl.output) c.outputpath = *cl.output;

  // ALL as the dialogue draws it; else each named map as the dialogue draws a single one, in the order given.
  c.mapname = chosen->all ? text(u"ALL") : chosen->names.back();
  const drawend end = c.drawmaps(chosen->names, chosen->all);
  if (!end.ok()) return runend::stop(*end.stop);
  return {c.run->missed() ? runoutcome::missed : runoutcome::done, {}};
}

}  // namespace tracewell

// --check: the maps of every input checked, a line per finding and a summary per input, or workflow
// commands for CI.
#include "app/checkrun.h"

#include <cstddef>
#include <optional>

#include "app/batchrun.h"
#include "app/console.h"
#include "support/terminal.h"

namespace tracewell {

namespace {

text severitytext(severity s) {
  return s == severity::error ? u"error" : u"warning";
}

text codetext(const finding& f) {
  return u" [" + fromutf8(std::string(checkrows[static_cast<std::size_t>(f.code)].word)) + u"]";
}

// A workflow command's value, escaped; `property` for one before the "::".
text workflowvalue(const text& value, bool property) {
  text out;
  for (const char16_t c : value) {
    if (c == u'%') {
      out += u"%25";
    } else if (c == u'\r') {
      out += u"%0D";
    } else if (c == u'\n') {
      out += u"%0A";
    } else if (property && c == u':') {
      out += u"%3A";
    } else if (property && c == u',') {
      out += u"%2C";
    } else {
      out += printable(text(1, c));
    }
  }
  return out;
}

text counted(std::int64_t n, const char16_t* one, const char16_t* many) {
  return inttotext(n) + u" " + (n == 1 ? one : many);
}

// The lines of a check run, as each map's record is settled: its findings, and each input's summary
// once the records of the next begin or the run ends.
class checkreport {
 public:
  checkreport(findingformat format, bool quiet) : format_(format), quiet_(quiet) {}

  void add(const mapoutcome& r) {
    if (!current_ || *current_ != r.given) endinput();
    if (r.whole) return;  // refused as a whole: its line is on standard error, no summary
    if (!current_) {
      current_ = r.given;
      input_ = r.input;
    }
    if (!r.facts) return;
    ++maps_;
    if (!r.findings) return;
    for (const finding& f : *r.findings) {
      (f.level == severity::error ? errors_ : warnings_) += 1;
      anyerror_ = anyerror_ || f.level == severity::error;
      if (quiet_) continue;
      printplainline(format_ == findingformat::github ? workflowline(r.input, r.name, f)
                                                      : findingline(r.input, r.name, f));
    }
  }

  void endinput() {
    if (current_ && !quiet_ && format_ == findingformat::text)
      printplainline(checksummary(input_, maps_, errors_, warnings_));
    current_.reset();
    maps_ = errors_ = warnings_ = 0;
  }

  bool anyerror() const { return anyerror_; }

 private:
  findingformat format_;
  bool quiet_;
  std::optional<std::size_t> current_;  // the input whose records come in
  text input_;
  std::int64_t maps_ = 0, errors_ = 0, warnings_ = 0;
  bool anyerror_ = false;
};

}  // namespace

text findingline(const text& input, const text& mapname, const finding& f) {
  text line = printable(input) + u": " + printable(mapname) + u": ";
  if (const text at = f.at.words(); !at.empty()) line += at + u": ";
  return line + severitytext(f.level) + u": " + printable(f.message) + codetext(f);
}

text workflowline(const text& input, const text& mapname, const finding& f) {
  text title = mapname;
  if (const text at = f.at.words(); !at.empty()) title += u" " + at;
  return u"::" + severitytext(f.level) + u" file=" + workflowvalue(input, true) + u",title=" +
         workflowvalue(title, true) + u"::" + workflowvalue(f.message + codetext(f), false);
}

text checksummary(const text& input, std::int64_t maps, std::int64_t errors, std::int64_t warnings) {
  return printable(input) + u": " + counted(maps, u"map checked", u"maps checked") + u", " +
         counted(errors, u"error", u"errors") + u", " + counted(warnings, u"warning", u"warnings");
}

runend runcheck(const commandline& cl, console& c, const text& fallback) {
  if (!c.checksrefusal.empty())
    return runend::refusal(u"settings file \"" + printable(c.settingspath) + u"\": " +
                           printable(c.checksrefusal));
  batchsetup b;
  if (std::optional<runend> refused = setupbatch(cl, c, fallback, b)) return *refused;
  b.base.work = mapwork::check;
  b.base.pictures = cl.output || cl.dest || !cl.extra.empty();
  b.base.severities = c.checks;
  // Every map is read, drawn or not, and its record holds its statistics and findings.
  b.base.census = b.base.tally = true;
  b.manifest.tallies = b.manifest.checks = true;
  maprun& run = *c.run;
  run.printwritten = false;
  checkreport report(cl.checkformat.value_or(findingformat::text), cl.manifest == text(u"-"));
  run.recorded = [&report, records = run.recorded](const mapoutcome& r) {
    if (records) records(r);
    report.add(r);
  };

  runend end;
  for (std::size_t i = 0; i < b.inputs.size(); ++i) end.note(runinput(c, b, i));
  end.note(finishbatch(c, b));
  report.endinput();
  if (report.anyerror()) end.note(runoutcome::findings);
  return end;
}

}  // namespace tracewell

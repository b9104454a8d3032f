// Binding of the settings file: first defaults and the colour schemes.
#include <algorithm>
#include <list>
#include <optional>

#include "app/console.h"
#include "app/numbers.h"
#include "app/report.h"
#include "settings/dictnode.h"
#include "support/path.h"

namespace tracewell {

namespace {

// The severities of the "checks" nodes over the checks' own, later nodes and keys winning. A key that
// names no check, or a value other than error, warning or off (any case), is kept as the refusal a check
// run gives; other runs go on with the rest.
void readchecks(dictnode& root, console& c) {
  const std::list<std::shared_ptr<dictnode>> nodes = root.getchildren(u"checks");
  for (auto node = nodes.rbegin(); node != nodes.rend(); ++node) {
    if (!(*node)->values.root) continue;
    for (const auto& key : (*node)->values.root->nodesinorder()) {
      const auto row = std::find_if(checkrows.begin(), checkrows.end(), [&](const checkrow& r) {
        return fromutf8(std::string(r.word)) == key->key;
      });
      const text value = (*node)->getvalue(key->key);
      const text word = lower(value);
      const std::optional<severity> level = word == u"error"     ? std::optional(severity::error)
                                            : word == u"warning" ? std::optional(severity::warning)
                                            : word == u"off"     ? std::optional(severity::off)
                                                                 : std::nullopt;
      if (row == checkrows.end()) {
        if (c.checksrefusal.empty()) c.checksrefusal = u"unknown check '" + key->key + u"' in #checks";
      } else if (!level) {
        if (c.checksrefusal.empty())
          c.checksrefusal = (u"invalid value '" + value)
                                .append(u"' for ")
                                .append(key->key)
                                .append(u" in #checks (error, warning or off)");
      } else {
        c.checks[static_cast<std::size_t>(row->code)] = *level;
      }
    }
  }
}

}  // namespace

std::shared_ptr<console> console::readpath(const text& path) {
  result<std::shared_ptr<console>> loaded = load(path);
  if (!loaded.ok()) report(loaded.error());  // ends the process
  return std::move(loaded).value();
}

result<std::shared_ptr<console>> console::load(const text& path) {
  result<std::shared_ptr<dictnode>> parsed = dictnode::parsefile(path);
  if (!parsed.ok()) return parsed.error();  // a stream failure
  const std::shared_ptr<dictnode> root = std::move(parsed).value();
  if (!root) return failure::fatal(u"Couldn't parse settings file \"" + path + u"\".");
  std::shared_ptr<console> c = read(*root);
  if (c->schemes.empty())
    return failure::fatal(u"Settings file \"" + path + u"\" contains no valid color schemes.");
  c->settingspath = path;
  return c;
}

std::shared_ptr<console> console::read(dictnode& root) {
  auto c = std::make_shared<console>();
  c->formatname = root.getvalue(u"default_map_format");
  // Only "content" finds maps by their lumps; absent or anything else keeps the names rule.
  if (lower(root.getvalue(u"map_detection")) == u"content") c->detection = mapdetection::content;
  // Only "compact" changes the encoder; absent or anything else keeps the standard file.
  c->png = findpngencoding(root.getvalue(u"png_encoding")).value_or(pngencoding::standard);
  c->width = tonumber(root.getvalue(u"default_width"));
  c->height = tonumber(root.getvalue(u"default_height"));
  c->margin = tonumber(root.getvalue(u"default_margin"));
  c->schemename = root.getvalue(u"default_scheme");
  c->inputpath = pathfrombytes(root.getvalue(u"default_input_path"));
  c->outputpath = pathfrombytes(root.getvalue(u"default_output_path"));
  // The settings tree returns the last scheme of the file first; keep that order,
  // so a later scheme wins over an earlier one of the same name.
  for (const auto& node : root.getchildren(u"color_scheme"))
    c->schemes.push_back(tracewell::scheme::read(*node));
  readchecks(root, *c);
  return c;
}

}  // namespace tracewell

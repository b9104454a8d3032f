// The gallery of a batch run: one page listing every input and map drawn, with thumbnails and links.
#include "web/gallerypage.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

#include "support/markup.h"
#include "support/path.h"
#include "web/page/pageassets.h"
#include "web/pageshell.h"

namespace tracewell {

namespace {

std::string html(const text& t) {
  return markuptext(toutf8(t));
}
// A name read from a file: its bytes are taken as UTF-8.
std::string htmlbytes(const text& t) {
  return markuptext(tobytes(t));
}

// The facts a card shows, in its order.
constexpr std::array<const factfield*, 4> cardfields = {&factfieldof("linedefs"), &factfieldof("things"),
                                                        &factfieldof("keys"), &factfieldof("secret_sectors")};

void appendcounts(std::string& out, const std::optional<mapfacts>& facts) {
  if (!facts) return;
  for (const factfield* field : cardfields) {
    const std::optional<std::int64_t> n = field->value(*facts);
    if (!n) continue;
    out += " \xC2\xB7 ";
    out += std::to_string(*n);
    out += ' ';
    out += *n == 1 ? field->one : field->many;
  }
}

// "1 error · 3 warnings": what the checks found, errors first.
std::string findingwords(const findingcount& n) {
  const auto words = [](std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
  };
  return words(n.errors, "error", "errors") + " \xC2\xB7 " + words(n.warnings, "warning", "warnings");
}

std::string card(const galleryentry& e, const text& folder) {
  std::string out = "<li class=\"tw-card\" data-map=\"" + htmlbytes(*e.map) + "\"";
  // The filter's switch reads a checked map's errors here.
  if (e.findings) out += " data-errors=\"" + std::to_string(e.findings->errors) + "\"";
  out += '>';
  const text* page = nullptr;
  const text* thumbnail = nullptr;
  for (const auto& [kind, path] : e.files) {
    if (kind == "html" && !page) page = &path;
    if (kind == "png") thumbnail = &path;
    if (kind == "svg" && !thumbnail) thumbnail = &path;
  }
  if (thumbnail) {
    const std::string image = "<img src=\"" + relativelink(folder, *thumbnail) +
                              "\" loading=\"lazy\" decoding=\"async\" alt=\"" + htmlbytes(*e.map) + "\">";
    out += page ? "<a href=\"" + relativelink(folder, *page) + "\">" + image + "</a>" : image;
  }
  out += "<h3>" + htmlbytes(*e.map) + "</h3><p class=\"tw-status\">" + e.status;
  appendcounts(out, e.facts);
  out += "</p>";
  if (e.findings) {
    out += std::string("<p class=\"") + (e.findings->errors > 0 ? "tw-failed" : "tw-status") + "\">" +
           findingwords(*e.findings) + "</p>";
  }
  if (!e.error.empty()) out += "<p class=\"tw-failed\">" + html(e.error) + "</p>";
  if (e.status != "failed" && !e.files.empty()) {
    out += "<p>";
    for (const auto& [kind, path] : e.files) {
      out += "<a href=\"" + relativelink(folder, path) + "\">" +
             (kind == "html" ? std::string("page") : kind) + "</a>";
    }
    out += "</p>";
  }
  return out + "</li>\n";
}

}  // namespace

findingcount countfindings(const std::vector<finding>& findings) {
  findingcount n;
  for (const finding& f : findings) {
    n.errors += f.level == severity::error ? 1 : 0;
    n.warnings += f.level == severity::warning ? 1 : 0;
  }
  return n;
}

std::string relativelink(const text& folder, const text& file) {
  namespace fs = std::filesystem;
  const fs::path base = fs::absolute(fs::path(nativepath(folder))).lexically_normal();
  const fs::path target = fs::absolute(fs::path(nativepath(file))).lexically_normal();
  fs::path relative = target.lexically_relative(base);
  if (relative.empty()) relative = target;
  std::string out;
  for (const char c : relative.generic_string()) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '.' ||
        b == '_' || b == '~' || b == '/') {
      out += c;
    } else {
      static constexpr std::string_view digits = "0123456789ABCDEF";
      out += '%';
      out += digits[b >> 4];
      out += digits[b & 0xF];
    }
  }
  return out;
}

outputstatus writegallery(const std::vector<galleryentry>& entries, const text& folder, outputfile& out) {
  // The inputs in run order, each with its entries.
  std::vector<std::size_t> inputs;
  std::map<std::size_t, std::vector<const galleryentry*>> byinput;
  std::size_t maps = 0;
  bool checked = false;
  for (const galleryentry& e : entries) {
    if (!byinput.contains(e.given)) inputs.push_back(e.given);
    byinput[e.given].push_back(&e);
    maps += e.map ? 1 : 0;
    checked = checked || e.findings.has_value();
  }
  // Thumbnails come from the folder beside the page, so images may load from files.
  std::string page = pagehead("Gallery", pageassets::galleryjshash, "'self' file: data:");
  page +=
      "<div class=\"tw-gallery\">\n<header><h1>Gallery</h1>"
      "<input id=\"tw-filter\" type=\"search\" placeholder=\"Filter by input or map name\" "
      "aria-label=\"Filter by input or map name\">" +
      std::string(checked ? "<label class=\"tw-status\"><input id=\"tw-errors\" type=\"checkbox\"> only maps "
                            "with errors</label>"
                          : "") +
      "<span class=\"tw-status\"><span id=\"tw-shown\">" + std::to_string(maps) + "</span> of " +
      std::to_string(maps) + " maps</span></header>\n";
  for (const std::size_t given : inputs) {
    const std::vector<const galleryentry*>& list = byinput[given];
    const text& input = list.front()->input;
    std::size_t failed = 0;
    for (const galleryentry* e : list) failed += e->map && e->status == "failed" ? 1 : 0;
    page += "<section class=\"tw-input\" data-input=\"" + html(input) + "\"><h2>" + html(input) + "</h2>";
    std::string cards;
    for (const galleryentry* e : list) {
      if (!e->map) {
        page += "<p class=\"tw-refused\">refused: " + html(e->error) + "</p>";
      } else {
        cards += card(*e, folder);
      }
    }
    if (!cards.empty()) {
      const std::size_t count = static_cast<std::size_t>(
          std::count_if(list.begin(), list.end(), [](const galleryentry* e) { return e->map.has_value(); }));
      page += "<p class=\"tw-status\">" + std::to_string(count) + (count == 1 ? " map" : " maps") +
              (failed > 0 ? ", " + std::to_string(failed) + " failed" : std::string()) +
              "</p>\n<ul class=\"tw-cards\">\n" + cards + "</ul>";
    }
    page += "</section>\n";
    if (page.size() >= 1U << 16) {
      out.write(page.data(), page.size());
      page.clear();
    }
  }
  page += "</div>\n" + pagetail(pageassets::galleryjs);
  out.write(page.data(), page.size());
  return out.finish();
}

}  // namespace tracewell

// Fuzz target: arbitrary bytes as a settings file and the files it includes; parse, query, dump, reparse.
//
// The input holds up to four files separated by lines "%%": main.txt, a.txt, b.txt and sub/c.txt of
// the work folder, so includes (and include cycles) between them resolve. main.txt is parsed under
// its bare name, as the program parses "settings.txt".
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/console.h"
#include "fuzzhooks.h"
#include "settings/dictnode.h"

using namespace tracewell;

namespace {

const std::array<std::string_view, 4> filenames = {"main.txt", "a.txt", "b.txt", "sub/c.txt"};

// Every key the program reads: the top-level defaults and the keys of a colour scheme.
std::vector<text> programkeys() {
  std::vector<text> keys = {u"default_map_format",  u"default_width",  u"default_height",
                            u"default_margin",      u"default_scheme", u"default_input_path",
                            u"default_output_path", u"scheme_name",    u"action_is_special",
                            u"background_color"};
  for (const char* prefix :
       {"passable_", "passable_floor_change_", "passable_ceil_change_", "passable_both_change_",
        "passable_action_", "impassable_", "impassable_floor_change_", "impassable_ceil_change_",
        "impassable_both_change_", "impassable_action_"}) {
    keys.push_back(u(prefix) + u"color");
    keys.push_back(u(prefix) + u"order");
  }
  return keys;
}

// Queries `node` the way the program does and checks what the queries promise.
void query(dictnode& node, int depth) {
  static const std::vector<text> keys = programkeys();
  for (const text& key : keys) {
    const text value = node.getvalue(key);
    const std::list<text> all = node.getvalues(key);
    if (node.hasvalue(key) != (all.empty() ? 0 : 1)) fuzz::broken("hasvalue disagrees with getvalues");
    if (all.empty() ? !value.empty() : value != all.front())
      fuzz::broken("getvalue is not the most recent value");
  }
  const auto schemes = node.getchildren(u"color_scheme");
  if (node.haschild(u"color_scheme") != (schemes.empty() ? 0 : 1)) fuzz::broken("haschild disagrees");
  if (node.getchild(u"color_scheme") != (schemes.empty() ? nullptr : schemes.front())) {
    fuzz::broken("getchild is not the most recent child");
  }
  if (depth < 3) {
    for (const auto& child : schemes) query(*child, depth + 1);
  }
}

// A key that `dump` can write bare and the parser reads back as the same key.
bool plainkey(const text& key) {
  for (char16_t c : key) {
    if (c == ':' || c == ';' || c == '#' || c == ']' || c == '<' || c == '>' || c == '"') return false;
  }
  return lower(key) != u"include";
}

bool plaintree(dictnode& node, int depth) {
  if (depth > dictnode::maxnesting + 1) return false;
  if (node.values.root) {
    for (const auto& n : node.values.root->nodesinorder()) {
      if (!plainkey(n->key)) return false;
    }
  }
  if (node.children.root) {
    for (const auto& n : node.children.root->nodesinorder()) {
      for (BinNodeData* c = n->data.get(); c != nullptr; c = c->nxt.get()) {
        auto* child = dynamic_cast<dictnode*>(c->data.get());
        if (child != nullptr && !plaintree(*child, depth + 1)) return false;
      }
    }
  }
  return true;
}

std::shared_ptr<dictnode> reparse(const text& dumped, const char* name) {
  fuzz::writefile(fuzz::workfolder() / name, tobytes(dumped));
  return dictnode::parsefile(u(name)).value();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  fuzz::inworkfolder here;
  fuzz::clearfolder(fuzz::workfolder(), {});
  std::filesystem::create_directory(fuzz::workfolder() / "sub");
  std::size_t start = 0;
  for (std::size_t i = 0; i < filenames.size() && start <= input.size(); ++i) {
    const std::size_t cut = i + 1 < filenames.size() ? input.find("\n%%\n", start) : std::string_view::npos;
    const std::size_t end = cut == std::string_view::npos ? input.size() : cut;
    fuzz::writefile(fuzz::workfolder() / filenames[i], input.substr(start, end - start));
    start = cut == std::string_view::npos ? input.size() + 1 : cut + 4;
  }

  fuzz::runquiet("", [] {
    auto root = dictnode::parsefile(u"main.txt").value();
    if (!root) return;
    query(*root, 0);
    // The program's own reading of the tree: defaults and one scheme per "color_scheme" child.
    const auto c = console::read(*root);
    if (c->schemes.size() != root->getchildren(u"color_scheme").size()) fuzz::broken("a scheme went missing");
    (void)c->getschemestring();
    const text first = root->dump(u"");
    if (first.empty() || first.back() != u'\n') fuzz::broken("dump does not end in a line feed");
    // The dump reads back; after two rounds the repeated keys are in their first order again, so
    // the text is the same whenever every key can be written bare.
    auto once = reparse(first, "dump1.txt");
    if (!once) fuzz::broken("the dump does not parse");
    auto twice = reparse(once->dump(u""), "dump2.txt");
    if (!twice) fuzz::broken("the second dump does not parse");
    if (plaintree(*root, 0) && twice->dump(u"") != first)
      fuzz::broken("dump, parse, dump, parse changed the tree");
  });
  return 0;
}

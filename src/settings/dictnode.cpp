// Settings files: the nested node/key/value language, its parser and the queries over a parsed node.
#include "settings/dictnode.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "support/debuglog.h"
#include "support/path.h"

namespace tracewell {

const text dictnode::tabstr = u"    ";

namespace {

// Parser white space; trimming (codes 0..32) is wider.
bool iswhite(char16_t c) {
  return c == 32 || c == 9 || c == 10 || c == 13;
}

// Cuts trailing parser white space, but never at or before index mark - 1,
// the last character of quoted text (mark < 1: no quoted text to keep).
text cutend(const text& t, std::int32_t mark) {
  std::size_t keep = t.size();
  while (keep > 0) {
    const std::size_t last = keep - 1;
    if (!iswhite(t[last]) || (mark > 0 && last == static_cast<std::size_t>(mark - 1))) break;
    keep = last;
  }
  return t.substr(0, keep);
}

// An include path is relative to the folder of the including file, if it has one.
text includepath(const text& from, const text& value) {
  const std::size_t cut = from.find_last_of(u"/\\");
  const text named = pathfrombytes(value);
  return cut == text::npos ? named : from.substr(0, cut) + u"/" + named;
}

std::int32_t position(const bytestream& stream) {
  return static_cast<std::int32_t>(stream.position());
}

// What makes two include paths the same file, as far as the path tells.
std::string fileidentity(const text& path) {
  std::error_code ec;
  const auto canonical = std::filesystem::weakly_canonical(nativepath(path), ec);
  return ec ? nativepath(path) : canonical.string();
}

void logwithnode(const text& message, const dictnode& node) {
  debuglog(message);
  debuglog(u" dictnode: Encoutered with node: " + node.identity());
}

}  // namespace

// What one parse shares across the files it includes.
struct parsecontext {
  std::vector<std::string> files;  // the file being read and every file including it
  std::int32_t included = 0;       // included files read so far
  std::int64_t includedbytes = 0;  // their sizes added up
  std::optional<failure> failed;   // the first file that could not be read to its end
};

struct dictnode::parsestate {
  parsecontext& context;
  std::int32_t depth = 0;  // nodes above the one being read, through includes
  bool unwinding = false;  // a child was too deep: every enclosing node of this file ends
};

dictnode::~dictnode() {
  // Children that only this node holds are taken out and destroyed one at a
  // time, so a deep hand-built tree does not destroy itself recursively.
  std::vector<std::shared_ptr<object>> doomed;
  auto harvest = [&doomed](dictnode& n) {
    if (!n.children.root) return;
    for (const auto& node : n.children.root->nodesinorder()) {
      for (BinNodeData* c = node->data.get(); c != nullptr; c = c->nxt.get()) {
        if (c->data.use_count() == 1 && dynamic_cast<dictnode*>(c->data.get()) != nullptr) {
          doomed.push_back(std::move(c->data));
        }
      }
    }
  };
  harvest(*this);
  while (!doomed.empty()) {
    std::shared_ptr<object> n = std::move(doomed.back());
    doomed.pop_back();
    harvest(static_cast<dictnode&>(*n));
  }
}

std::shared_ptr<dictnode> dictnode::New() {
  return std::make_shared<dictnode>();
}

text dictnode::identity() const {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X",
                static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFFFFFu));
  return u(digits);
}

// ---- parser ----

result<std::shared_ptr<dictnode>> dictnode::parsefile(const text& path) {
  // A file too large for memory holds no node this program can use.
  try {
    parsecontext context{{fileidentity(path)}, 0, 0, std::nullopt};
    parsestate state{context};
    std::shared_ptr<dictnode> root = readfile(path, state, false);
    if (context.failed) return *context.failed;
    return root;
  } catch (const std::bad_alloc&) {
    return std::shared_ptr<dictnode>();
  }
}

std::shared_ptr<dictnode> dictnode::parse(bytestream& stream, const text& path, std::int32_t nested) {
  parsecontext context{{fileidentity(path)}, 0, 0, std::nullopt};
  parsestate state{context};
  return read(stream, path, nested != 0, state);
}

std::shared_ptr<dictnode> dictnode::readfile(const text& path, parsestate& state, bool included) {
  auto stream = bytestream::openread(path);
  if (!stream) return nullptr;
  // An included file that would take the parse past its budget is not read at all.
  if (included) {
    std::int64_t& total = state.context.includedbytes;
    if (stream->size() > maxincludedbytes - total) return nullptr;
    total += stream->size();
  }
  auto node = read(*stream, path, false, state);
  // A failed stream reads as ended, so the parse above stopped there; the whole parse fails.
  if (stream->failed() && !state.context.failed) state.context.failed = stream->check().error();
  stream->close();
  return node;
}

std::shared_ptr<dictnode> dictnode::read(bytestream& stream, const text& path, bool nested,
                                         parsestate& state) {
  auto node = New();
  node->path = path;
  std::int64_t comments = 0;
  auto commentchar = [&comments](char16_t c) {
    if (c == commentopen) {
      ++comments;
    } else if (c == commentclose) {
      if (comments > 0) --comments;
    } else {
      return comments > 0;
    }
    return true;
  };

  // Everything up to the first '#' outside comments is skipped.
  if (!nested) {
    for (;;) {
      if (stream.eof()) {
        debuglog(u" dictnode: Encountered unexpected end-of-file while looking for node definition.");
        return nullptr;
      }
      const char16_t c = stream.readu8();
      if (!commentchar(c) && c == nodedefine) break;
    }
  }
  node->nodestartpos = position(stream);

  // The name runs to the first '[' outside comments; comments are left out.
  text name;
  for (;;) {
    if (stream.eof()) {
      debuglog(u" dictnode: Encountered unexpected end-of-file while looking for node opening.");
      return nullptr;
    }
    const char16_t c = stream.readu8();
    if (commentchar(c)) continue;
    if (c == nodeopen) break;
    name += c;
  }
  node->name = trim(name);
  if (node->name.empty()) {
    debuglog(u" dictnode: Encountered a node without a name. That could get a mite confusing.");
  }
  node->nodebodypos = position(stream);
  node->readbody(stream, state);
  return node;
}

void dictnode::readbody(bytestream& stream, parsestate& state) {
  text key;
  text value;
  bool assigned = false;  // the value is the current text (the statement had its ':')
  bool inquotes = false;
  bool started = false;    // a character other than leading white space was taken
  std::int32_t mark = -1;  // length of the current text at the last quote; -1 none
  std::int64_t comments = 0;
  bool done = false;
  while (!done) {
    if (stream.eof()) {
      logwithnode(u" dictnode: Encountered unexpected end-of-file while looking for node closing.", *this);
      break;
    }
    const char16_t c = stream.readu8();
    text& current = assigned ? value : key;

    // Quoted text: everything is literal up to the next quote.
    if (inquotes) {
      if (c == quote) {
        inquotes = false;
        mark = static_cast<std::int32_t>(current.size());
      } else {
        current += c;
      }
      continue;
    }
    // Comments nest; a stray '>' is dropped.
    if (c == commentopen) {
      ++comments;
      continue;
    }
    if (c == commentclose) {
      if (comments > 0) --comments;
      continue;
    }
    if (comments > 0) continue;

    switch (c) {
      case quote:
        inquotes = true;
        mark = static_cast<std::int32_t>(current.size());
        break;
      case nodedefine: {
        // A child definition; the statement around it carries on afterwards.
        std::shared_ptr<dictnode> child;
        if (state.depth < maxnesting) {
          ++state.depth;
          child = read(stream, path, true, state);
          --state.depth;
        } else {
          state.unwinding = true;
        }
        if (!child) {
          logwithnode(
              u" dictnode: Encountered node definition but there was an error reading the child node.",
              *this);
          done = true;
        } else {
          children.insert(child->name, child, -1);
          done = state.unwinding;
        }
        break;
      }
      case nodeclose:
        done = true;
        break;
      case assignment:
        // A second ':' is dropped; the value carries on after it.
        key = cutend(key, mark);
        assigned = true;
        started = false;
        mark = -1;
        break;
      case lineend:
        endstatement(key, value, assigned, mark, state);
        key.clear();
        value.clear();
        assigned = false;
        started = false;
        mark = -1;
        break;
      default:
        if (started || mark >= 0 || !iswhite(c)) {
          current += c;
          started = true;
        }
        break;
    }
  }
  // A pending assignment is kept even without its ';' (but is never an include).
  if (assigned) values.insert(trim(key), textobject::New(cutend(value, mark)), -1);
  nodebodyend = position(stream);
}

void dictnode::endstatement(const text& key, const text& value, bool assigned, std::int32_t mark,
                            parsestate& state) {
  if (lower(key) == u"include") {
    include(value, state);
  } else if (assigned) {
    values.insert(trim(key), textobject::New(cutend(value, mark)), -1);
  }
}

void dictnode::include(const text& value, parsestate& state) {
  const text file = includepath(path, value);
  std::shared_ptr<dictnode> child;
  // An include cycle, a chain of includes too deep or too many included files
  // fails like a file that cannot be read: every file included twice would
  // otherwise double the work at each level.
  parsecontext& context = state.context;
  const std::string id = fileidentity(file);
  const bool cycle = std::find(context.files.begin(), context.files.end(), id) != context.files.end();
  const auto includes = static_cast<std::int32_t>(context.files.size()) - 1;
  if (!cycle && state.depth < maxnesting && includes < maxincludes && context.included < maxincludedfiles) {
    ++context.included;
    context.files.push_back(id);
    parsestate inner{context, state.depth + 1, false};
    child = readfile(file, inner, true);
    context.files.pop_back();
  }
  if (child) {
    children.insert(child->name, child, -1);
  } else {
    logwithnode(u" dictnode: Failed to read child dictnode from included file \"" + file + u"\".", *this);
  }
}

// ---- queries ----

std::int32_t dictnode::hasvalue(const text& key) {
  return values.contains(key, 0);
}

std::int32_t dictnode::haschild(const text& key) {
  return children.contains(key, 0);
}

text dictnode::getvalue(const text& key) {
  const auto v = values.find(key, -1);
  const text* t = astext(v.get());
  return t == nullptr ? text() : *t;
}

std::shared_ptr<dictnode> dictnode::getchild(const text& key) {
  return std::dynamic_pointer_cast<dictnode>(children.find(key, -1));
}

std::list<text> dictnode::getvalues(const text& key) {
  std::list<text> out;
  for (const auto& v : values.findall(key, -1)) {
    const text* t = astext(v.get());
    out.push_back(t == nullptr ? text() : *t);
  }
  return out;
}

std::list<std::shared_ptr<dictnode>> dictnode::getchildren(const text& key) {
  std::list<std::shared_ptr<dictnode>> out;
  for (const auto& v : children.findall(key, -1)) {
    if (auto child = std::dynamic_pointer_cast<dictnode>(v)) out.push_back(std::move(child));
  }
  return out;
}

text dictnode::dump(const text& indent) {
  // An explicit stack of open nodes keeps deep trees off the call stack.
  struct frame {
    text indent;
    std::vector<std::shared_ptr<dictnode>> kids;
    std::size_t next = 0;
  };
  text out;
  auto open = [&out](dictnode& n, const text& ind) {
    out += ind + u"#" + n.name + u"[\n";
    const text inner = ind + tabstr;
    for (auto e = n.values.NodeEnumerator(); e->HasNext() != 0;) {
      const auto node = e->NextNode();
      for (const BinNodeData* c = node->data.get(); c != nullptr; c = c->nxt.get()) {
        if (const text* t = astext(c->data.get())) out += inner + node->key + u": \"" + *t + u"\";\n";
      }
    }
    frame f{ind, {}, 0};
    for (auto e = n.children.NodeEnumerator(); e->HasNext() != 0;) {
      const auto node = e->NextNode();
      for (const BinNodeData* c = node->data.get(); c != nullptr; c = c->nxt.get()) {
        if (auto kid = std::dynamic_pointer_cast<dictnode>(c->data)) f.kids.push_back(std::move(kid));
      }
    }
    return f;
  };
  std::vector<frame> stack;
  stack.push_back(open(*this, indent));
  while (!stack.empty()) {
    frame& top = stack.back();
    if (top.next < top.kids.size()) {
      const auto kid = top.kids[top.next++];
      const text inner = top.indent + tabstr;
      stack.push_back(open(*kid, inner));
    } else {
      out += top.indent + u"];\n";
      stack.pop_back();
    }
  }
  return out;
}

}  // namespace tracewell

// Settings files: the nested node/key/value language, its parser and the queries over a parsed node.
#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "support/bintree.h"
#include "support/bytestream.h"
#include "support/text.h"

namespace tracewell {

// One named node of a settings file: key -> text values and name -> child
// nodes, both allowing repeats (the most recent entry of a key comes first).
// The node owns its two trees; the trees share the value texts and children.
// A parsed node is complete when the parser returns it.
class dictnode : public object {
 public:
  // Character codes the parser acts on.
  static constexpr char16_t nodedefine = 35;    // '#'
  static constexpr char16_t nodeopen = 91;      // '['
  static constexpr char16_t nodeclose = 93;     // ']'
  static constexpr char16_t lineend = 59;       // ';'
  static constexpr char16_t assignment = 58;    // ':'
  static constexpr char16_t quote = 34;         // '"'
  static constexpr char16_t commentopen = 60;   // '<'
  static constexpr char16_t commentclose = 62;  // '>'
  // Indentation step of dump.
  static const text tabstr;

  // Limits that keep hostile files from exhausting the stack or the time: nodes
  // nested deeper than maxnesting below the root (counted through includes) are
  // not read; an include is refused when it would close a cycle, go more than
  // maxincludes files deep, read more than maxincludedfiles files in one parse
  // or take the included text of one parse past maxincludedbytes in all.
  static constexpr std::int32_t maxnesting = 256;
  static constexpr std::int32_t maxincludes = 32;
  static constexpr std::int32_t maxincludedfiles = 256;
  static constexpr std::int64_t maxincludedbytes = std::int64_t{64} << 20;

  dictnode() = default;
  ~dictnode() override;
  dictnode(const dictnode&) = delete;
  dictnode& operator=(const dictnode&) = delete;

  // A new node: empty name and path, positions 0, two empty auto-splaying trees.
  static std::shared_ptr<dictnode> New();

  text name;                      // trimmed text between '#' and '['
  text path;                      // the file the node was read from
  std::int32_t nodestartpos = 0;  // just after the node's '#'
  std::int32_t nodebodypos = 0;   // just after its '['
  std::int32_t nodebodyend = 0;   // just after its ']', or the end of the data
  BinTree values{1};              // key -> textobject
  BinTree children{1};            // name -> dictnode

  // Reads the root node of the file at `path` ('\' or '/' separators). Null,
  // without a message, when the file cannot be opened; null after a debug
  // message when it holds no node. Closes the file. A file (or included file)
  // that cannot be read to its end is failure::readstream. Memory running out
  // while parsing gives null, without a message.
  static result<std::shared_ptr<dictnode>> parsefile(const text& path);
  // Reads one node definition from the stream's position. With `nested` 0 the
  // text up to the first '#' outside comments is skipped; otherwise the '#' has
  // been consumed and the name follows. `path` is stored in the node and is the
  // base for include directives. Never reads past the end of the data; trouble
  // goes to debuglog, and the result is null only when no node could be formed
  // (no '#', or the data ends before the '['). Leaves the stream after the
  // node's ']' (or at the end) and open. A failed stream reads as ended; the
  // caller checks the stream.
  static std::shared_ptr<dictnode> parse(bytestream& stream, const text& path, std::int32_t nested);

  // 1 when a value (child) is stored under exactly `key`, else 0. No splaying.
  std::int32_t hasvalue(const text& key);
  std::int32_t haschild(const text& key);
  // The most recent value under `key`; "" when missing or not a text.
  text getvalue(const text& key);
  // The most recent child named `key`, or null.
  std::shared_ptr<dictnode> getchild(const text& key);
  // Every value (child) under `key`, most recent first; empty when missing.
  // The caller owns the list.
  std::list<text> getvalues(const text& key);
  std::list<std::shared_ptr<dictnode>> getchildren(const text& key);
  // This node and everything under it as settings text, each line prefixed by
  // `indent`, lines ended by LF; values quoted, keys and names bare.
  text dump(const text& indent);

  // Eight upper-case hexadecimal digits identifying this node object.
  text identity() const;

 private:
  struct parsestate;
  static std::shared_ptr<dictnode> readfile(const text& path, parsestate& state, bool included);
  static std::shared_ptr<dictnode> read(bytestream& stream, const text& path, bool nested, parsestate& state);
  void readbody(bytestream& stream, parsestate& state);
  void endstatement(const text& key, const text& value, bool assigned, std::int32_t mark, parsestate& state);
  void include(const text& value, parsestate& state);
};

}  // namespace tracewell

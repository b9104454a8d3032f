// Ordered string-keyed binary tree with value chains (newest first), splaying and rebalancing.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "support/text.h"

namespace tracewell {

// The common root of everything a tree can hold as a value. Values are shared:
// the tree keeps references and compares them by identity, never by content.
class object {
 public:
  virtual ~object() = default;
};

// A text held as a tree value.
class textobject : public object {
 public:
  explicit textobject(text v) : value(std::move(v)) {}
  // A new text value; each call gives a distinct object.
  static std::shared_ptr<textobject> New(text value);
  text value;
};

// The text of `value` when it is a textobject, else null. Never owns.
const text* astext(const object* value);

class BinNode;

// One cell of a node's value chain. The chain owns its cells; the cells share
// the values. Destroying a long chain does not recurse.
class BinNodeData : public object {
 public:
  struct token {
    explicit token() = default;
  };
  explicit BinNodeData(token) {}
  ~BinNodeData() override;
  BinNodeData(const BinNodeData&) = delete;
  BinNodeData& operator=(const BinNodeData&) = delete;

  std::shared_ptr<BinNodeData> nxt;  // older value, or null
  std::shared_ptr<object> data;      // the value, or null

  // A new cell holding `value`, with no next cell.
  static std::shared_ptr<BinNodeData> Create(std::shared_ptr<object> value);
  // A copy of this cell and every following one; the values are shared.
  std::shared_ptr<BinNodeData> copy() const;
  // The chain's values joined by ", "; a value that is not a text gives "".
  text csv() const;
};

using BinNodes = std::vector<std::shared_ptr<BinNode>>;
using BinCells = std::vector<std::shared_ptr<BinNodeData>>;

// One key of a tree. A node owns its children (`l`, `r`) and its chain;
// `parent` is a non-owning back link that is cleared when the parent goes.
// Nodes exist only as shared objects (made by Create). Every walk over a
// subtree (count, height, copy, traversal, link clearing, destruction) uses an
// explicit stack, so a list-shaped tree of any size is safe.
// Operations that change links expect the tree's invariants to hold; they do
// not check that a node argument belongs to the same tree.
class BinNode : public object, public std::enable_shared_from_this<BinNode> {
 public:
  struct token {
    explicit token() = default;
  };
  explicit BinNode(token) {}
  ~BinNode() override;
  BinNode(const BinNode&) = delete;
  BinNode& operator=(const BinNode&) = delete;

  text key;
  std::shared_ptr<BinNodeData> data;  // newest value first; empty only after a kept-node removal
  BinNode* parent = nullptr;
  std::shared_ptr<BinNode> l;  // keys less than `key`
  std::shared_ptr<BinNode> r;  // keys greater than `key`

  // A new node with `key` and a one-cell chain holding `value`.
  static std::shared_ptr<BinNode> Create(text key, std::shared_ptr<object> value);

  // "" for an empty chain, else the chain's csv.
  text csv() const;
  // The last node along `l` (`r`) from this node; this node when there is none.
  std::shared_ptr<BinNode> leftmostchild();
  std::shared_ptr<BinNode> rightmostchild();
  // Detaches this node, then hangs it as the right (left) child of the
  // rightmost (leftmost) node under `target`.
  void movetoright(const std::shared_ptr<BinNode>& target);
  void movetoleft(const std::shared_ptr<BinNode>& target);
  // Clears the parent's link to this node and `parent` (nothing at the top).
  void orphan();
  // Takes this node out of its tree; returns the node now in its place (the
  // left child, with the right subtree under its rightmost node; else the
  // right child), or null. This node leaves with no links at all. The caller
  // must replace its tree's root when this node was the root.
  std::shared_ptr<BinNode> remove();
  // Drops every cell holding this very object. Chain empty and `flag` nonzero:
  // returns remove(); else returns this node.
  std::shared_ptr<BinNode> removevalue(const std::shared_ptr<object>& value, std::int32_t flag);
  // Drops the newest cell; empty chain handled as in removevalue.
  std::shared_ptr<BinNode> removeonevalue(std::int32_t flag);
  // Drops the whole chain; nonzero `flag`: returns remove(), else this node.
  std::shared_ptr<BinNode> removeallvalues(std::int32_t flag);
  // The newest value, or null for an empty chain.
  std::shared_ptr<object> value() const;
  // Every value, newest first (a new list).
  std::list<std::shared_ptr<object>> values() const;
  // 1 when a cell holds this very object, else 0.
  std::int32_t containsvalue(const std::shared_ptr<object>& value) const;
  std::int32_t valuecount() const;
  // Places `node` (a detached node) in the subtree under this one; on an equal
  // key its chain goes in front of the existing node's chain and the existing
  // node is returned, else `node` itself.
  std::shared_ptr<BinNode> insert(const std::shared_ptr<BinNode>& node);
  // Puts the chain `cells` in front of this node's chain (null adds nothing).
  void addvalue(std::shared_ptr<BinNodeData> cells);
  // The node holding `key`, or the node under which it would be inserted.
  std::shared_ptr<BinNode> findclosest(const text& key);
  std::int32_t count() const;
  std::int32_t countvalues() const;
  // Levels of this subtree (1 for a leaf).
  std::int32_t height() const;
  // Clears every link in this subtree, including this node's `parent` (but not
  // the parent's link to this node): the subtree falls apart into single nodes.
  void clearlinks();
  // Rebuilds this subtree perfectly balanced and hangs the new top where this
  // node was; returns the new top. Unchanged when the parent does not link here.
  std::shared_ptr<BinNode> optimize();
  // Balanced subtree from nodes[first..last] (upper middle at the top); null
  // when last < first. The nodes must have no links.
  static std::shared_ptr<BinNode> optimize_(std::int32_t first, std::int32_t last, const BinNodes& nodes);

  // This subtree's nodes in ascending, descending, pre- and post-order. The
  // underscore forms write each node at nodes[*counter] (growing the array as
  // needed) and advance the counter.
  BinNodes nodesinorder();
  void nodesinorder_(std::int32_t* counter, BinNodes& nodes);
  BinNodes nodesreverseorder();
  void nodesreverseorder_(std::int32_t* counter, BinNodes& nodes);
  BinNodes nodespreorder();
  void nodespreorder_(std::int32_t* counter, BinNodes& nodes);
  BinNodes nodespostorder();
  void nodespostorder_(std::int32_t* counter, BinNodes& nodes);
  // The same orders, each entry the node's first chain cell (`data`).
  BinCells inorder();
  void inorder_(std::int32_t* counter, BinCells& cells);
  BinCells reverseorder();
  void reverseorder_(std::int32_t* counter, BinCells& cells);
  BinCells preorder();
  void preorder_(std::int32_t* counter, BinCells& cells);
  BinCells postorder();
  void postorder_(std::int32_t* counter, BinCells& cells);

  // The next (previous) node in key order in the whole tree, or null.
  std::shared_ptr<BinNode> successor();
  std::shared_ptr<BinNode> predecessor();
  // A deep copy of this subtree: new nodes and cells, shared values; the copy's
  // top has no parent.
  std::shared_ptr<BinNode> copy() const;

 private:
  enum class order { in, reverse, pre, post };
  std::vector<BinNode*> walk(order o);
  // Puts `c` in this node's place in its parent and clears `parent`.
  void replacewith(const std::shared_ptr<BinNode>& c);
};

class BinEnum;

// A binary search tree of text keys, each key holding a chain of values
// (newest first). Keys compare by unsigned 16-bit code unit; a key sorts before
// any longer key it starts. Splay flags: 1 splays the node reached, -1 splays
// it only when `autosplay` is 1, anything else does not splay. Splaying changes
// only the shape, never a result or an order.
class BinTree : public object {
 public:
  explicit BinTree(std::int32_t splay = 1) : autosplay(splay) {}
  BinTree(const BinTree&) = delete;
  BinTree& operator=(const BinTree&) = delete;

  std::shared_ptr<BinNode> root;  // null when empty
  std::int32_t autosplay;         // automatic splaying when 1

  // A new empty tree with `autosplay` = `splay`.
  static std::shared_ptr<BinTree> Create(std::int32_t splay);

  std::int32_t isempty() const { return root ? 0 : 1; }
  std::int32_t issplay() const { return autosplay; }
  void setsplay(std::int32_t flag) { autosplay = flag; }
  // Deep copy (values shared); the copy's `autosplay` is 1 whatever this one's.
  std::shared_ptr<BinTree> copy() const;
  // Adds `value` under `key` (the key text itself when `value` is null), in
  // front of the key's older values; returns the node holding the key.
  std::shared_ptr<BinNode> insert(const text& key, std::shared_ptr<object> value, std::int32_t splay);
  // The node holding `key` or where it would go (splayed either way); null when empty.
  std::shared_ptr<BinNode> findclosestnode(const text& key, std::int32_t splay);
  // The node holding exactly `key` (splayed), or null (nothing splayed).
  std::shared_ptr<BinNode> findnode(const text& key, std::int32_t splay);
  // The newest value of findclosestnode's node; null when empty.
  std::shared_ptr<object> findclosest(const text& key, std::int32_t splay);
  // 1 when `key` is present; the closest node is splayed even when it is not.
  std::int32_t contains(const text& key, std::int32_t splay);
  // The newest value under `key`, or null.
  std::shared_ptr<object> find(const text& key, std::int32_t splay);
  // Every value under `key`, newest first; empty when absent.
  std::list<std::shared_ptr<object>> findall(const text& key, std::int32_t splay);
  std::int32_t findcount(const text& key, std::int32_t splay);
  // Removes the newest value under `key`, and the node with its last value;
  // returns that node, or null when the key is absent.
  std::shared_ptr<BinNode> remove(const text& key);
  // Takes the key's node out with all its values (they stay on the returned
  // node); null when absent.
  std::shared_ptr<BinNode> removeall(const text& key);
  // node.remove(), replacing `root` when `node` is the root; returns the node
  // now in its place. `node` must belong to this tree.
  std::shared_ptr<BinNode> removenode(const std::shared_ptr<BinNode>& node);
  // Removes every cell holding this very object under `key`, or under every key
  // when `key` is ""; nodes left empty go. Returns 0.
  std::int32_t removevalue(const std::shared_ptr<object>& value, const text& key);
  std::int32_t count() const;
  std::int32_t countvalues() const;
  std::int32_t height() const;
  // Drops every node (without deep recursion).
  void clear();
  // Rebalances the whole tree.
  void optimize();
  // First chain cells in order 0 in-order, 1 reverse, 2 pre-order, 3 post-order;
  // empty for an empty tree or another `order`.
  BinCells toarray(std::int32_t order);
  // Enumerators in ascending key order: values (newest first per key), keys, nodes.
  std::shared_ptr<BinEnum> ObjectEnumerator() const;
  std::shared_ptr<BinEnum> KeyEnumerator() const;
  std::shared_ptr<BinEnum> NodeEnumerator() const;
  // Moves `node` (of this tree) to the root by bottom-up rotations.
  void splay(const std::shared_ptr<BinNode>& node);
  // Rotations at `node`; nothing when the needed child is missing.
  void rotright(const std::shared_ptr<BinNode>& node);
  void rotleft(const std::shared_ptr<BinNode>& node);

 private:
  bool wantsplay(std::int32_t flag) const { return flag == 1 || (flag == -1 && autosplay == 1); }
};

// Walks a tree in ascending key order. Kind 0 gives values, 1 keys, 2 nodes.
// Keys must not be inserted or removed while one runs; splaying between steps
// is harmless, since each step follows the current links from the node held.
class BinEnum : public object, public std::enable_shared_from_this<BinEnum> {
 public:
  std::shared_ptr<BinNode> node;
  std::shared_ptr<BinNodeData> data;
  std::int32_t kind = 0;

  // An enumerator at `node` (null for nothing to walk) with `data` := its chain.
  static std::shared_ptr<BinEnum> Create(std::shared_ptr<BinNode> node, std::int32_t kind);
  // 1 while there is something left to return.
  std::int32_t HasNext();
  // The next value (kind 0), key as a new textobject (kind 1) or node (kind 2);
  // null when HasNext would give 0.
  std::shared_ptr<object> NextObject();
  // Typed forms of NextObject for kinds 1 and 2 ("" / null when exhausted).
  text NextKey();
  std::shared_ptr<BinNode> NextNode();
  // This enumerator.
  std::shared_ptr<BinEnum> ObjectEnumerator() { return shared_from_this(); }
};

}  // namespace tracewell

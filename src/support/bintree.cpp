// Ordered string-keyed binary tree with value chains (newest first), splaying and rebalancing.
#include "support/bintree.h"

#include <algorithm>

namespace tracewell {

std::shared_ptr<textobject> textobject::New(text value) {
  return std::make_shared<textobject>(std::move(value));
}

const text* astext(const object* value) {
  const auto* t = dynamic_cast<const textobject*>(value);
  return t == nullptr ? nullptr : &t->value;
}

// ---- BinNodeData ----

BinNodeData::~BinNodeData() {
  // Unlink the rest of the chain cell by cell, so a long chain does not
  // destroy itself recursively. Cells someone else still holds are left alone.
  std::shared_ptr<BinNodeData> next = std::move(nxt);
  while (next && next.use_count() == 1) {
    std::shared_ptr<BinNodeData> after = std::move(next->nxt);
    next = std::move(after);
  }
}

std::shared_ptr<BinNodeData> BinNodeData::Create(std::shared_ptr<object> value) {
  auto cell = std::make_shared<BinNodeData>(token());
  cell->data = std::move(value);
  return cell;
}

std::shared_ptr<BinNodeData> BinNodeData::copy() const {
  auto first = Create(data);
  BinNodeData* last = first.get();
  for (const BinNodeData* c = nxt.get(); c != nullptr; c = c->nxt.get()) {
    last->nxt = Create(c->data);
    last = last->nxt.get();
  }
  return first;
}

text BinNodeData::csv() const {
  text out;
  for (const BinNodeData* c = this; c != nullptr; c = c->nxt.get()) {
    if (c != this) out += u", ";
    if (const text* t = astext(c->data.get())) out += *t;
  }
  return out;
}

// ---- BinNode ----

BinNode::~BinNode() {
  // Tear the subtree down with an explicit stack: each node is destroyed with
  // its child links already taken, so destruction never nests.
  std::vector<std::shared_ptr<BinNode>> pending;
  auto take = [&pending](BinNode& n) {
    for (auto* link : {&n.l, &n.r}) {
      if (*link) {
        (*link)->parent = nullptr;
        pending.push_back(std::move(*link));
      }
    }
  };
  take(*this);
  while (!pending.empty()) {
    std::shared_ptr<BinNode> n = std::move(pending.back());
    pending.pop_back();
    // A node still held elsewhere survives as a subtree of its own.
    if (n.use_count() == 1) take(*n);
  }
}

std::shared_ptr<BinNode> BinNode::Create(text key, std::shared_ptr<object> value) {
  auto node = std::make_shared<BinNode>(token());
  node->key = std::move(key);
  node->data = BinNodeData::Create(std::move(value));
  return node;
}

text BinNode::csv() const {
  return data ? data->csv() : text();
}

std::shared_ptr<BinNode> BinNode::leftmostchild() {
  BinNode* n = this;
  while (n->l) n = n->l.get();
  return n->shared_from_this();
}

std::shared_ptr<BinNode> BinNode::rightmostchild() {
  BinNode* n = this;
  while (n->r) n = n->r.get();
  return n->shared_from_this();
}

void BinNode::movetoright(const std::shared_ptr<BinNode>& target) {
  auto self = shared_from_this();
  orphan();
  auto host = target->rightmostchild();
  host->r = self;
  parent = host.get();
}

void BinNode::movetoleft(const std::shared_ptr<BinNode>& target) {
  auto self = shared_from_this();
  orphan();
  auto host = target->leftmostchild();
  host->l = self;
  parent = host.get();
}

void BinNode::orphan() {
  replacewith(nullptr);
}

void BinNode::replacewith(const std::shared_ptr<BinNode>& c) {
  auto self = shared_from_this();  // the parent's link may be the last owner
  if (c) c->parent = parent;
  if (parent != nullptr) {
    if (parent->l.get() == this) {
      parent->l = c;
    } else if (parent->r.get() == this) {
      parent->r = c;
    }
  }
  parent = nullptr;
}

std::shared_ptr<BinNode> BinNode::remove() {
  auto self = shared_from_this();
  if (!l && !r) {
    orphan();
    return nullptr;
  }
  if (!l) {
    auto c = std::move(r);
    replacewith(c);
    return c;
  }
  auto c = std::move(l);
  c->parent = nullptr;
  replacewith(c);
  if (r) {
    auto right = std::move(r);
    right->parent = nullptr;
    right->movetoright(c);
  }
  return c;
}

std::shared_ptr<BinNode> BinNode::removevalue(const std::shared_ptr<object>& value, std::int32_t flag) {
  std::shared_ptr<BinNodeData>* link = &data;
  while (*link) {
    if ((*link)->data == value) {
      std::shared_ptr<BinNodeData> next = (*link)->nxt;
      *link = std::move(next);
    } else {
      link = &(*link)->nxt;
    }
  }
  if (!data && flag != 0) return remove();
  return shared_from_this();
}

std::shared_ptr<BinNode> BinNode::removeonevalue(std::int32_t flag) {
  if (data) {
    std::shared_ptr<BinNodeData> next = data->nxt;
    data = std::move(next);
  }
  if (!data && flag != 0) return remove();
  return shared_from_this();
}

std::shared_ptr<BinNode> BinNode::removeallvalues(std::int32_t flag) {
  data.reset();
  if (flag != 0) return remove();
  return shared_from_this();
}

std::shared_ptr<object> BinNode::value() const {
  return data ? data->data : nullptr;
}

std::list<std::shared_ptr<object>> BinNode::values() const {
  std::list<std::shared_ptr<object>> out;
  for (const BinNodeData* c = data.get(); c != nullptr; c = c->nxt.get()) out.push_back(c->data);
  return out;
}

std::int32_t BinNode::containsvalue(const std::shared_ptr<object>& value) const {
  for (const BinNodeData* c = data.get(); c != nullptr; c = c->nxt.get()) {
    if (c->data == value) return 1;
  }
  return 0;
}

std::int32_t BinNode::valuecount() const {
  std::int32_t n = 0;
  for (const BinNodeData* c = data.get(); c != nullptr; c = c->nxt.get()) ++n;
  return n;
}

std::shared_ptr<BinNode> BinNode::insert(const std::shared_ptr<BinNode>& node) {
  BinNode* at = this;
  for (;;) {
    if (node->key == at->key) {
      at->addvalue(node->data);
      node->data.reset();
      return at->shared_from_this();
    }
    std::shared_ptr<BinNode>& link = node->key > at->key ? at->r : at->l;
    if (!link) {
      link = node;
      node->parent = at;
      return node;
    }
    at = link.get();
  }
}

void BinNode::addvalue(std::shared_ptr<BinNodeData> cells) {
  if (!cells) return;
  BinNodeData* last = cells.get();
  while (last->nxt) last = last->nxt.get();
  last->nxt = std::move(data);
  data = std::move(cells);
}

std::shared_ptr<BinNode> BinNode::findclosest(const text& key) {
  BinNode* at = this;
  for (;;) {
    const int cmp = key.compare(at->key);
    if (cmp > 0 && at->r) {
      at = at->r.get();
    } else if (cmp < 0 && at->l) {
      at = at->l.get();
    } else {
      return at->shared_from_this();
    }
  }
}

std::vector<BinNode*> BinNode::walk(order o) {
  std::vector<BinNode*> out;
  std::vector<BinNode*> stack;
  switch (o) {
    case order::in:
    case order::reverse: {
      const bool asc = o == order::in;
      BinNode* n = this;
      while (n != nullptr || !stack.empty()) {
        while (n != nullptr) {
          stack.push_back(n);
          n = (asc ? n->l : n->r).get();
        }
        n = stack.back();
        stack.pop_back();
        out.push_back(n);
        n = (asc ? n->r : n->l).get();
      }
      break;
    }
    case order::pre:
    case order::post: {
      // Post-order is the reverse of a node-right-left pre-order.
      const bool pre = o == order::pre;
      stack.push_back(this);
      while (!stack.empty()) {
        BinNode* n = stack.back();
        stack.pop_back();
        out.push_back(n);
        BinNode* first = (pre ? n->r : n->l).get();
        BinNode* second = (pre ? n->l : n->r).get();
        if (first != nullptr) stack.push_back(first);
        if (second != nullptr) stack.push_back(second);
      }
      if (!pre) std::reverse(out.begin(), out.end());
      break;
    }
  }
  return out;
}

std::int32_t BinNode::count() const {
  return static_cast<std::int32_t>(const_cast<BinNode*>(this)->walk(order::pre).size());
}

std::int32_t BinNode::countvalues() const {
  std::int32_t n = 0;
  for (BinNode* node : const_cast<BinNode*>(this)->walk(order::pre)) n += node->valuecount();
  return n;
}

std::int32_t BinNode::height() const {
  std::int32_t levels = 0;
  std::vector<const BinNode*> level{this};
  while (!level.empty()) {
    ++levels;
    std::vector<const BinNode*> next;
    for (const BinNode* n : level) {
      if (n->l) next.push_back(n->l.get());
      if (n->r) next.push_back(n->r.get());
    }
    level = std::move(next);
  }
  return levels;
}

void BinNode::clearlinks() {
  // The stack keeps every node alive until all links are gone.
  std::vector<std::shared_ptr<BinNode>> held{shared_from_this()};
  for (std::size_t i = 0; i < held.size(); ++i) {
    BinNode* const n = held[i].get();  // stays valid while `held` grows: held[i] still owns it
    if (n->l) held.push_back(std::move(n->l));
    if (n->r) held.push_back(std::move(n->r));
    n->parent = nullptr;
  }
}

std::shared_ptr<BinNode> BinNode::optimize() {
  auto self = shared_from_this();
  BinNode* up = parent;
  std::shared_ptr<BinNode>* side = nullptr;
  if (up != nullptr) {
    if (up->l.get() == this) {
      side = &up->l;
    } else if (up->r.get() == this) {
      side = &up->r;
    } else {
      return self;
    }
  }
  const BinNodes nodes = nodesinorder();
  clearlinks();
  auto top = optimize_(0, static_cast<std::int32_t>(nodes.size()) - 1, nodes);
  top->parent = up;
  if (side != nullptr) *side = top;
  return top;
}

std::shared_ptr<BinNode> BinNode::optimize_(std::int32_t first, std::int32_t last, const BinNodes& nodes) {
  // Recursion depth is the logarithm of the node count.
  if (last < first) return nullptr;
  const std::int32_t middle = first + (last - first + 1) / 2;
  const auto& top = nodes[static_cast<std::size_t>(middle)];
  top->l = optimize_(first, middle - 1, nodes);
  top->r = optimize_(middle + 1, last, nodes);
  if (top->l) top->l->parent = top.get();
  if (top->r) top->r->parent = top.get();
  return top;
}

namespace {

template <typename T, typename F>
void fillfrom(std::int32_t* counter, std::vector<T>& out, const std::vector<BinNode*>& nodes, F entry) {
  for (BinNode* n : nodes) {
    const auto at = static_cast<std::size_t>(*counter);
    if (out.size() <= at) out.resize(at + 1);
    out[at] = entry(n);
    ++*counter;
  }
}

std::shared_ptr<BinNode> nodeentry(BinNode* n) {
  return n->shared_from_this();
}
std::shared_ptr<BinNodeData> cellentry(BinNode* n) {
  return n->data;
}

}  // namespace

#define TRACEWELL_BINNODE_ORDER(nodesname, cellsname, o)               \
  BinNodes BinNode::nodesname() {                                      \
    std::int32_t counter = 0;                                          \
    BinNodes out;                                                      \
    nodesname##_(&counter, out);                                       \
    return out;                                                        \
  }                                                                    \
  void BinNode::nodesname##_(std::int32_t* counter, BinNodes& nodes) { \
    fillfrom(counter, nodes, walk(o), nodeentry);                      \
  }                                                                    \
  BinCells BinNode::cellsname() {                                      \
    std::int32_t counter = 0;                                          \
    BinCells out;                                                      \
    cellsname##_(&counter, out);                                       \
    return out;                                                        \
  }                                                                    \
  void BinNode::cellsname##_(std::int32_t* counter, BinCells& cells) { \
    fillfrom(counter, cells, walk(o), cellentry);                      \
  }

TRACEWELL_BINNODE_ORDER(nodesinorder, inorder, order::in)
TRACEWELL_BINNODE_ORDER(nodesreverseorder, reverseorder, order::reverse)
TRACEWELL_BINNODE_ORDER(nodespreorder, preorder, order::pre)
TRACEWELL_BINNODE_ORDER(nodespostorder, postorder, order::post)

#undef TRACEWELL_BINNODE_ORDER

std::shared_ptr<BinNode> BinNode::successor() {
  if (r) return r->leftmostchild();
  BinNode* n = this;
  while (n->parent != nullptr && n->parent->r.get() == n) n = n->parent;
  return n->parent == nullptr ? nullptr : n->parent->shared_from_this();
}

std::shared_ptr<BinNode> BinNode::predecessor() {
  if (l) return l->rightmostchild();
  BinNode* n = this;
  while (n->parent != nullptr && n->parent->l.get() == n) n = n->parent;
  return n->parent == nullptr ? nullptr : n->parent->shared_from_this();
}

std::shared_ptr<BinNode> BinNode::copy() const {
  auto twin = [](const BinNode& n) {
    auto c = std::make_shared<BinNode>(token());
    c->key = n.key;
    if (n.data) c->data = n.data->copy();
    return c;
  };
  auto top = twin(*this);
  std::vector<std::pair<const BinNode*, BinNode*>> pending{{this, top.get()}};
  while (!pending.empty()) {
    auto [from, to] = pending.back();
    pending.pop_back();
    for (auto link : {&BinNode::l, &BinNode::r}) {
      if (const auto& child = from->*link) {
        to->*link = twin(*child);
        (to->*link)->parent = to;
        pending.emplace_back(child.get(), (to->*link).get());
      }
    }
  }
  return top;
}

// ---- BinTree ----

std::shared_ptr<BinTree> BinTree::Create(std::int32_t splay) {
  return std::make_shared<BinTree>(splay);
}

std::shared_ptr<BinTree> BinTree::copy() const {
  auto tree = Create(1);
  if (root) tree->root = root->copy();
  return tree;
}

std::shared_ptr<BinNode> BinTree::insert(const text& key, std::shared_ptr<object> value, std::int32_t splay) {
  if (!value) value = textobject::New(key);
  auto node = BinNode::Create(key, std::move(value));
  if (!root) {
    root = node;
  } else {
    node = root->insert(node);
  }
  if (wantsplay(splay)) this->splay(node);
  return node;
}

std::shared_ptr<BinNode> BinTree::findclosestnode(const text& key, std::int32_t splay) {
  if (!root) return nullptr;
  auto node = root->findclosest(key);
  if (wantsplay(splay)) this->splay(node);
  return node;
}

std::shared_ptr<BinNode> BinTree::findnode(const text& key, std::int32_t splay) {
  if (!root) return nullptr;
  auto node = root->findclosest(key);
  if (node->key != key) return nullptr;
  if (wantsplay(splay)) this->splay(node);
  return node;
}

std::shared_ptr<object> BinTree::findclosest(const text& key, std::int32_t splay) {
  auto node = findclosestnode(key, splay);
  return node ? node->value() : nullptr;
}

std::int32_t BinTree::contains(const text& key, std::int32_t splay) {
  auto node = findclosestnode(key, splay);
  return node && node->key == key ? 1 : 0;
}

std::shared_ptr<object> BinTree::find(const text& key, std::int32_t splay) {
  auto node = findnode(key, splay);
  return node ? node->value() : nullptr;
}

std::list<std::shared_ptr<object>> BinTree::findall(const text& key, std::int32_t splay) {
  auto node = findnode(key, splay);
  return node ? node->values() : std::list<std::shared_ptr<object>>();
}

std::int32_t BinTree::findcount(const text& key, std::int32_t splay) {
  auto node = findnode(key, splay);
  return node ? node->valuecount() : 0;
}

std::shared_ptr<BinNode> BinTree::remove(const text& key) {
  auto node = findnode(key, 0);
  if (!node) return nullptr;
  node->removeonevalue(0);
  if (!node->data) removenode(node);
  return node;
}

std::shared_ptr<BinNode> BinTree::removeall(const text& key) {
  auto node = findnode(key, 0);
  if (node) removenode(node);
  return node;
}

std::shared_ptr<BinNode> BinTree::removenode(const std::shared_ptr<BinNode>& node) {
  const bool wasroot = node == root;
  auto next = node->remove();
  if (wasroot) root = next;
  return next;
}

std::int32_t BinTree::removevalue(const std::shared_ptr<object>& value, const text& key) {
  BinNodes nodes;
  if (key.empty()) {
    if (root) nodes = root->nodesinorder();
  } else if (auto node = findnode(key, 0)) {
    nodes.push_back(node);
  }
  // A node already empty before the call goes too, not only one this call empties.
  for (const auto& node : nodes) {
    node->removevalue(value, 0);
    if (!node->data) removenode(node);
  }
  return 0;
}

std::int32_t BinTree::count() const {
  return root ? root->count() : 0;
}
std::int32_t BinTree::countvalues() const {
  return root ? root->countvalues() : 0;
}
std::int32_t BinTree::height() const {
  return root ? root->height() : 0;
}

void BinTree::clear() {
  if (root) root->clearlinks();
  root.reset();
}

void BinTree::optimize() {
  if (root) root = root->optimize();
}

BinCells BinTree::toarray(std::int32_t order) {
  if (!root) return {};
  switch (order) {
    case 0:
      return root->inorder();
    case 1:
      return root->reverseorder();
    case 2:
      return root->preorder();
    case 3:
      return root->postorder();
    default:
      return {};
  }
}

std::shared_ptr<BinEnum> BinTree::ObjectEnumerator() const {
  return BinEnum::Create(root ? root->leftmostchild() : nullptr, 0);
}

std::shared_ptr<BinEnum> BinTree::KeyEnumerator() const {
  return BinEnum::Create(root ? root->leftmostchild() : nullptr, 1);
}

std::shared_ptr<BinEnum> BinTree::NodeEnumerator() const {
  return BinEnum::Create(root ? root->leftmostchild() : nullptr, 2);
}

void BinTree::splay(const std::shared_ptr<BinNode>& node) {
  for (;;) {
    BinNode* p = node->parent;
    if (node == root || p == nullptr) return;
    const bool xleft = p->l == node;
    BinNode* g = p->parent;
    if (g == nullptr) {
      auto pp = p->shared_from_this();
      if (xleft) {
        rotright(pp);
      } else {
        rotleft(pp);
      }
      return;
    }
    auto pp = p->shared_from_this();
    auto gg = g->shared_from_this();
    const bool pleft = g->l.get() == p;
    if (xleft && pleft) {
      rotright(gg);
      rotright(pp);
    } else if (!xleft && !pleft) {
      rotleft(gg);
      rotleft(pp);
    } else if (!xleft && pleft) {
      rotleft(pp);
      rotright(gg);
    } else {
      rotright(pp);
      rotleft(gg);
    }
  }
}

void BinTree::rotright(const std::shared_ptr<BinNode>& node) {
  // A copy, not a reference: `node` may be one of the links moved below, and the
  // copy keeps the node alive while they move.
  const std::shared_ptr<BinNode> n = node;  // NOLINT(performance-unnecessary-copy-initialization)
  const std::shared_ptr<BinNode> c = n->l;
  if (!c) return;
  n->l = c->r;
  if (n->l) n->l->parent = n.get();
  BinNode* up = n->parent;
  if (up != nullptr) {
    if (up->l == n) {
      up->l = c;
    } else if (up->r == n) {
      up->r = c;
    }
  }
  c->parent = up;
  c->r = n;
  n->parent = c.get();
  if (root == n) root = c;
}

void BinTree::rotleft(const std::shared_ptr<BinNode>& node) {
  // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): a copy, as in rotright
  const std::shared_ptr<BinNode> n = node;
  const std::shared_ptr<BinNode> c = n->r;
  if (!c) return;
  n->r = c->l;
  if (n->r) n->r->parent = n.get();
  BinNode* up = n->parent;
  if (up != nullptr) {
    if (up->l == n) {
      up->l = c;
    } else if (up->r == n) {
      up->r = c;
    }
  }
  c->parent = up;
  c->l = n;
  n->parent = c.get();
  if (root == n) root = c;
}

// ---- BinEnum ----

std::shared_ptr<BinEnum> BinEnum::Create(std::shared_ptr<BinNode> node, std::int32_t kind) {
  auto e = std::make_shared<BinEnum>();
  if (node) e->data = node->data;
  e->node = std::move(node);
  e->kind = kind;
  return e;
}

std::int32_t BinEnum::HasNext() {
  if (kind != 0) return node ? 1 : 0;
  while (!data && node) {
    node = node->successor();
    if (node) data = node->data;
  }
  return data ? 1 : 0;
}

std::shared_ptr<object> BinEnum::NextObject() {
  if (HasNext() == 0) return nullptr;
  if (kind == 0) {
    auto value = data->data;
    data = data->nxt;
    return value;
  }
  auto n = std::move(node);
  node = n->successor();
  if (kind == 1) return textobject::New(n->key);
  return n;
}

text BinEnum::NextKey() {
  if (kind == 0 || HasNext() == 0) return text();
  auto n = std::move(node);
  node = n->successor();
  return n->key;
}

std::shared_ptr<BinNode> BinEnum::NextNode() {
  if (kind == 0 || HasNext() == 0) return nullptr;
  auto n = std::move(node);
  node = n->successor();
  return n;
}

}  // namespace tracewell

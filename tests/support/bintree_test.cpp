// Ordered string-keyed tree: order of keys and repeated values, splaying, removal, rebalancing, deep trees.
#include "support/bintree.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace tracewell {
namespace {

using values = std::list<std::shared_ptr<object>>;

std::shared_ptr<object> val(const char* s) {
  return textobject::New(u(s));
}

text textof(const std::shared_ptr<object>& v) {
  const text* t = astext(v.get());
  return t == nullptr ? u"<none>" : *t;
}

// Keys of the tree in pre-order, each as one character: shows the shape.
std::string shape(BinTree& tree) {
  std::string out;
  if (!tree.root) return out;
  for (const auto& n : tree.root->nodespreorder()) out += toutf8(n->key);
  return out;
}

// Every link agrees with its partner, keys ascend in order, the root has no
// parent and no chain is empty. Returns the number of nodes.
std::size_t checklinks(const BinTree& tree) {
  if (!tree.root) return 0;
  EXPECT_EQ(tree.root->parent, nullptr);
  std::size_t count = 0;
  const text* previous = nullptr;
  std::vector<BinNode*> stack;
  BinNode* n = tree.root.get();
  while (n != nullptr || !stack.empty()) {
    while (n != nullptr) {
      stack.push_back(n);
      if (n->l) {
        EXPECT_EQ(n->l->parent, n) << toutf8(n->key);
      }
      if (n->r) {
        EXPECT_EQ(n->r->parent, n) << toutf8(n->key);
      }
      n = n->l.get();
    }
    n = stack.back();
    stack.pop_back();
    if (previous != nullptr) {
      EXPECT_LT(*previous, n->key);
    }
    EXPECT_NE(n->data, nullptr) << toutf8(n->key);
    previous = &n->key;
    ++count;
    n = n->r.get();
  }
  return count;
}

TEST(BinTree, InsertionKeepsOrderWhateverTheShape) {
  for (std::int32_t splay : {0, 1}) {
    BinTree tree(splay);
    for (const char* k : {"b", "a", "c"}) tree.insert(u(k), nullptr, -1);
    EXPECT_EQ(shape(tree), splay == 1 ? "cba" : "bac");
    std::string keys;
    for (auto e = tree.KeyEnumerator(); e->HasNext() != 0;) keys += toutf8(e->NextKey());
    EXPECT_EQ(keys, "abc");
    checklinks(tree);
  }
}

TEST(BinTree, RepeatedKeysKeepNewestFirst) {
  BinTree tree(1);
  auto one = val("1"), two = val("2"), three = val("3");
  for (const auto& v : {one, two, three}) tree.insert(u"k", v, -1);
  EXPECT_EQ(tree.find(u"k", -1), three);
  EXPECT_EQ(tree.findall(u"k", -1), (values{three, two, one}));
  EXPECT_EQ(tree.findcount(u"k", -1), 3);
  EXPECT_EQ(tree.count(), 1);
  EXPECT_EQ(tree.countvalues(), 3);
  EXPECT_EQ(tree.root->csv(), u"3, 2, 1");
  EXPECT_EQ(tree.remove(u"k"), tree.root);
  EXPECT_EQ(tree.findall(u"k", 0), (values{two, one}));
  // A null value stores the key text itself.
  tree.insert(u"self", nullptr, 0);
  EXPECT_EQ(textof(tree.find(u"self", 0)), u"self");
}

TEST(BinTree, KeysCompareByUnsignedCodeUnit) {
  BinTree tree(1);
  for (const char16_t* k : {u"\xFFFF", u"key", u"abc", u"\x00E9", u"Key", u"ab", u""})
    tree.insert(k, nullptr, -1);
  std::vector<text> keys;
  for (auto e = tree.KeyEnumerator(); e->HasNext() != 0;) keys.push_back(e->NextKey());
  EXPECT_EQ(keys, (std::vector<text>{u"", u"Key", u"ab", u"abc", u"key", u"\x00E9", u"\xFFFF"}));
}

TEST(BinTree, EmptyTreeGivesNothing) {
  BinTree tree(1);
  EXPECT_EQ(tree.find(u"a", 1), nullptr);
  EXPECT_EQ(tree.findnode(u"a", 1), nullptr);
  EXPECT_EQ(tree.findclosest(u"a", 1), nullptr);
  EXPECT_TRUE(tree.findall(u"a", 1).empty());
  EXPECT_EQ(
      tree.contains(u"a", 1) + tree.findcount(u"a", 1) + tree.count() + tree.countvalues() + tree.height(),
      0);
  EXPECT_EQ(tree.remove(u"a"), nullptr);
  EXPECT_EQ(tree.ObjectEnumerator()->HasNext(), 0);
  EXPECT_EQ(tree.ObjectEnumerator()->NextObject(), nullptr);
  EXPECT_TRUE(tree.toarray(0).empty());
  tree.optimize();
  tree.clear();
  EXPECT_EQ(tree.copy()->isempty(), 1);
}

TEST(BinTree, SplayRotatesAsDescribed) {
  BinTree tree(0);
  for (const char* k : {"a", "b", "c", "d", "e"}) tree.insert(u(k), nullptr, 0);
  EXPECT_EQ(tree.height(), 5);
  tree.findnode(u"e", 1);  // two zig-zig steps
  EXPECT_EQ(shape(tree), "ebadc");
  checklinks(tree);

  BinTree zigzag(0);
  for (const char* k : {"c", "a", "b"}) zigzag.insert(u(k), nullptr, 0);
  zigzag.findnode(u"b", -1);  // autosplay off: no change
  EXPECT_EQ(shape(zigzag), "cab");
  zigzag.setsplay(1);
  zigzag.findnode(u"b", -1);
  EXPECT_EQ(shape(zigzag), "bac");

  // contains splays the closest node even when the key is missing; find does not.
  BinTree closest(1);
  for (const char* k : {"m", "f", "t"}) closest.insert(u(k), nullptr, 0);
  closest.find(u"g", 1);
  EXPECT_EQ(shape(closest), "mft");
  EXPECT_EQ(closest.contains(u"g", 1), 0);
  EXPECT_EQ(shape(closest), "fmt");
  EXPECT_EQ(closest.findclosestnode(u"u", 0)->key, u"t");
}

TEST(BinTree, RemovalKeepsTreeSound) {
  // Root with only a right child: the child becomes a parentless root.
  BinTree tree(0);
  for (const char* k : {"a", "b", "c"}) tree.insert(u(k), nullptr, 0);
  auto gone = tree.remove(u"a");
  ASSERT_NE(gone, nullptr);
  EXPECT_TRUE(gone->parent == nullptr && !gone->l && !gone->r);
  EXPECT_EQ(tree.root->key, u"b");
  EXPECT_EQ(tree.root->parent, nullptr);
  tree.findnode(u"c", 1);
  EXPECT_EQ(shape(tree), "cb");

  // Left and right children: the right subtree hangs under the rightmost of the left.
  BinTree both(0);
  for (const char* k : {"d", "b", "f", "a", "c", "e", "g"}) both.insert(u(k), nullptr, 0);
  EXPECT_EQ(both.removeall(u"d")->key, u"d");
  EXPECT_EQ(shape(both), "bacfeg");
  checklinks(both);

  // removevalue compares identity, under one key or under all.
  BinTree ids(1);
  auto shared = val("x");
  ids.insert(u"p", shared, -1);
  ids.insert(u"p", val("x"), -1);
  ids.insert(u"q", shared, -1);
  ids.removevalue(val("x"), u"");
  EXPECT_EQ(ids.countvalues(), 3);
  ids.removevalue(shared, u"p");
  EXPECT_EQ(ids.findcount(u"p", 0), 1);
  EXPECT_EQ(ids.findcount(u"q", 0), 1);
  ids.removevalue(shared, u"");
  EXPECT_EQ(ids.count(), 1);
  checklinks(ids);

  // Nodes whose chains were emptied earlier go as well, under the named key or under all.
  BinTree emptied(0);
  for (const char* k : {"b", "a", "c", "d"}) emptied.insert(u(k), val(k), 0);
  for (const char* k : {"a", "c", "d"}) emptied.findnode(u(k), 0)->removeallvalues(0);
  emptied.removevalue(val("a"), u"a");
  EXPECT_EQ(shape(emptied), "bcd");
  emptied.removevalue(val("b"), u"");
  EXPECT_EQ(shape(emptied), "b");
  checklinks(emptied);
}

TEST(BinTree, OptimizeCopyAndArrays) {
  BinTree tree(0);
  for (const char* k : {"a", "b", "c", "d"}) tree.insert(u(k), nullptr, 0);
  tree.insert(u"a", nullptr, 0);
  tree.optimize();
  EXPECT_EQ(shape(tree), "cbad");
  checklinks(tree);
  EXPECT_EQ(tree.toarray(0).size(), 4u);  // chain cells, one per key
  EXPECT_TRUE(tree.toarray(4).empty());
  EXPECT_EQ(tree.toarray(3).back(), tree.root->data);

  auto twin = tree.copy();
  EXPECT_EQ(twin->issplay(), 1);
  EXPECT_EQ(shape(*twin), "cbad");
  EXPECT_NE(twin->root, tree.root);
  EXPECT_EQ(twin->findall(u"a", 0), tree.findall(u"a", 0));  // values shared
  checklinks(*twin);

  // A node with an emptied chain kept in the tree is skipped by value enumeration.
  tree.findnode(u"b", 0)->removeallvalues(0);
  std::string seen;
  for (auto e = tree.ObjectEnumerator(); e->HasNext() != 0;) seen += toutf8(textof(e->NextObject()));
  EXPECT_EQ(seen, "aacd");
}

// The tree against a map of newest-first value lists, over thousands of random
// operations, checking the links after every step.
TEST(BinTree, BehavesLikeAMultimap) {
  std::mt19937 rng(20240611);
  auto pick = [&rng](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  const std::vector<text> pool = {u"",       u"a",      u"b",  u"ab",  u"abc", u"B", u"ba",
                                  u"\x00E9", u"\xFFFF", u"zz", u"m",   u"mm",  u"n", u"Q",
                                  u"q",      u"x1",     u"x2", u"x10", u"aa",  u"bb"};
  std::vector<std::shared_ptr<object>> objects;
  for (int i = 0; i < 12; ++i) objects.push_back(textobject::New(inttotext(i)));

  auto tree = BinTree::Create(1);
  std::map<text, values> model;
  auto expectsame = [&]() {
    ASSERT_EQ(checklinks(*tree), model.size());
    values flat;
    std::vector<text> keys;
    for (const auto& [k, vs] : model) {
      keys.push_back(k);
      flat.insert(flat.end(), vs.begin(), vs.end());
    }
    values seen;
    for (auto e = tree->ObjectEnumerator(); e->HasNext() != 0;) seen.push_back(e->NextObject());
    EXPECT_EQ(seen, flat);
    std::vector<text> seenkeys;
    for (auto e = tree->NodeEnumerator(); e->HasNext() != 0;) seenkeys.push_back(e->NextNode()->key);
    EXPECT_EQ(seenkeys, keys);
    EXPECT_EQ(tree->countvalues(), static_cast<std::int32_t>(flat.size()));
  };

  for (int step = 0; step < 6000; ++step) {
    const text& key = pool[pick(pool.size())];
    const std::int32_t flag = static_cast<std::int32_t>(pick(3)) - 1;
    auto it = model.find(key);
    const bool present = it != model.end();
    switch (pick(12)) {
      case 0:
      case 1:
      case 2: {
        auto v = pick(10) == 0 ? nullptr : objects[pick(objects.size())];
        auto node = tree->insert(key, v, flag);
        ASSERT_EQ(node->key, key);
        if (!v) {
          v = node->value();
          ASSERT_EQ(textof(v), key);
        }
        EXPECT_EQ(node->value(), v);
        model[key].push_front(v);
        break;
      }
      case 3:
        EXPECT_EQ(tree->find(key, flag), present ? it->second.front() : nullptr);
        EXPECT_EQ(tree->contains(key, flag), present ? 1 : 0);
        break;
      case 4:
        EXPECT_EQ(tree->findall(key, flag), present ? it->second : values());
        EXPECT_EQ(tree->findcount(key, flag), present ? static_cast<std::int32_t>(it->second.size()) : 0);
        break;
      case 5: {
        auto node = tree->findclosestnode(key, flag);
        if (model.empty()) {
          EXPECT_EQ(node, nullptr);
        } else if (present) {
          EXPECT_EQ(node->key, key);
        } else {
          // The node under which the key would go is one of its neighbours.
          auto after = model.upper_bound(key);
          const bool isnext = after != model.end() && after->first == node->key;
          const bool isprev = after != model.begin() && std::prev(after)->first == node->key;
          EXPECT_TRUE(isnext || isprev) << toutf8(key) << " -> " << toutf8(node->key);
        }
        break;
      }
      case 6: {
        auto node = tree->remove(key);
        EXPECT_EQ(node != nullptr, present);
        if (present) {
          it->second.pop_front();
          if (it->second.empty()) model.erase(it);
        }
        break;
      }
      case 7:
        if (pick(2) == 0) {
          EXPECT_EQ(tree->removeall(key) != nullptr, present);
          model.erase(key);
        } else if (auto node = tree->findnode(key, flag)) {
          tree->removenode(node);
          EXPECT_TRUE(node->parent == nullptr && !node->l && !node->r);
          model.erase(key);
        }
        break;
      case 8: {
        const auto& v = objects[pick(objects.size())];
        const text where = pick(2) == 0 ? text() : key;
        EXPECT_EQ(tree->removevalue(v, where), 0);
        for (auto m = model.begin(); m != model.end();) {
          if (where.empty() || m->first == where) m->second.remove(v);
          m = m->second.empty() ? model.erase(m) : std::next(m);
        }
        break;
      }
      case 9:
        if (pick(4) == 0) {
          tree->optimize();
          std::int32_t want = 0;
          while ((std::size_t{1} << want) <= model.size()) ++want;
          EXPECT_EQ(tree->height(), want);
        }
        break;
      case 10: {
        auto twin = tree->copy();
        EXPECT_EQ(twin->issplay(), 1);
        EXPECT_EQ(checklinks(*twin), model.size());
        if (!model.empty()) {
          EXPECT_NE(twin->root, tree->root);
        }
        EXPECT_EQ(tree->toarray(static_cast<std::int32_t>(pick(4))).size(), model.size());
        if (pick(3) == 0) {
          twin->setsplay(tree->issplay());
          tree = twin;
        }
        break;
      }
      case 11:
        if (pick(50) == 0) {
          tree->clear();
          model.clear();
        } else {
          tree->setsplay(static_cast<std::int32_t>(pick(3)));
        }
        break;
    }
    ASSERT_EQ(checklinks(*tree), model.size()) << "step " << step;
    if (step % 25 == 0) expectsame();
  }
  expectsame();
}

TEST(BinTree, ListShapedTreeOfManyKeysIsSafe) {
  constexpr std::int32_t n = 100000;
  // Each new largest key splays to the root with the rest as its left list.
  auto build = [] {
    auto tree = BinTree::Create(1);
    for (std::int32_t i = 0; i < n; ++i) {
      const text key = inttotext(i);
      tree->insert(text(6 - key.size(), u'0') + key, nullptr, -1);
    }
    return tree;
  };
  auto tree = build();
  EXPECT_EQ(tree->height(), n);
  EXPECT_EQ(tree->count(), n);
  EXPECT_EQ(tree->root->nodespostorder().size(), static_cast<std::size_t>(n));
  auto twin = tree->copy();
  EXPECT_EQ(twin->height(), n);
  std::int32_t walked = 0;
  for (auto e = twin->NodeEnumerator(); e->HasNext() != 0; e->NextNode()) ++walked;
  EXPECT_EQ(walked, n);
  tree->clear();
  EXPECT_EQ(tree->count(), 0);
  twin.reset();  // destruction of a list-shaped tree

  auto again = build();
  again->findnode(u"000000", 1);  // splays the deepest node
  EXPECT_EQ(again->root->key, u"000000");
  EXPECT_EQ(checklinks(*again), static_cast<std::size_t>(n));
  again->optimize();
  EXPECT_EQ(again->height(), 17);
  again.reset();

  // A chain of many values under one key.
  auto chain = BinTree::Create(1);
  for (std::int32_t i = 0; i < n; ++i) chain->insert(u"k", nullptr, 0);
  EXPECT_EQ(chain->root->data->copy()->csv().size(), static_cast<std::size_t>(n * 3 - 2));
  chain.reset();
}

}  // namespace
}  // namespace tracewell

// [MS-PST 2.2.2.7.7 BTrees] in-memory form, search, insertion with splits, deletion, and
// copy-on-write flushing.
#include "pst/ndb/btree.hpp"

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "pst/ndb/hex_text.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {

template <class Leaf>
struct BTree<Leaf>::Node {
    std::uint8_t level = 0;
    BlockRef where;  // null bid until written
    bool dirty = true;
    std::vector<Leaf> leaves;
    std::vector<std::uint64_t> keys;
    std::vector<std::unique_ptr<Node>> children;

    std::uint64_t FirstKey() const {
        if (level == 0) return leaves.empty() ? 0 : leaves.front().Key();
        return keys.empty() ? 0 : keys.front();
    }
    std::size_t Count() const { return level == 0 ? leaves.size() : children.size(); }
    std::size_t Capacity() const { return level == 0 ? LeafCapacity<Leaf>() : kIndexCapacity; }
    std::size_t ChildFor(std::uint64_t key) const {
        auto it = std::upper_bound(keys.begin(), keys.end(), key);
        return it == keys.begin() ? 0 : static_cast<std::size_t>(it - keys.begin() - 1);
    }
};

namespace {

constexpr int kMaxDepth = 16;

// Moves the upper half of parent->children[i] into a new sibling right after it. The last
// child gives only its last entry: BIDs and NIDs are handed out rising, so entries mostly
// arrive at the end, and halves would leave every page behind them half empty for good.
template <class Node>
void SplitChild(Node& parent, std::size_t i) {
    Node& full = *parent.children[i];
    auto right = std::make_unique<Node>();
    right->level = full.level;
    const std::size_t half = i + 1 == parent.children.size() ? full.Count() - 1 : full.Count() / 2;
    if (full.level == 0) {
        right->leaves.reserve(full.Capacity() + 1);  // a page's worth, never grown by doubling
        right->leaves.assign(full.leaves.begin() + half, full.leaves.end());
        full.leaves.resize(half);
    } else {
        right->keys.reserve(full.Capacity() + 1);
        right->children.reserve(full.Capacity() + 1);
        right->keys.assign(full.keys.begin() + half, full.keys.end());
        for (std::size_t k = half; k < full.children.size(); ++k)
            right->children.push_back(std::move(full.children[k]));
        full.keys.resize(half);
        full.children.resize(half);
    }
    full.dirty = true;
    parent.dirty = true;
    parent.keys.insert(parent.keys.begin() + i + 1, right->FirstKey());
    parent.children.insert(parent.children.begin() + i + 1, std::move(right));
}

}  // namespace

template <class Leaf>
BTree<Leaf>::BTree() : root_(std::make_unique<Node>()) {}
template <class Leaf>
BTree<Leaf>::BTree(BTree&&) noexcept = default;
template <class Leaf>
BTree<Leaf>& BTree<Leaf>::operator=(BTree&&) noexcept = default;
template <class Leaf>
BTree<Leaf>::~BTree() = default;

namespace {

// The keys a page may hold: from its entry's key in the parent up to (not including) the
// next entry's key, or without an upper bound for the last entry on the rightmost path.
struct KeyRange {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool bounded = false;
    bool Holds(std::uint64_t key) const { return key >= low && (!bounded || key < high); }
};

// A page to load as its parent describes it.
struct ChildPage {
    BlockRef ref;
    int depth = 0;
    int level = -1;  // the cLevel the page must have; -1 for the root, which may have any
    KeyRange keys;
};

}  // namespace

// Reads a B-tree page by page from the root, checking each page against what its parent says.
template <class Leaf>
class BTree<Leaf>::Loader {
public:
    Loader(const ReadPage& read, std::size_t& leafCount) : read_(read), leafCount_(leafCount) {}

    std::unique_ptr<Node> Load(const ChildPage& child) {
        const std::string where = Where(child.ref);
        BTreePage<Leaf> page = ReadChecked(child, where);
        auto node = std::make_unique<Node>();
        node->level = page.cLevel;
        node->where = child.ref;
        node->dirty = false;
        if (node->level == 0)
            TakeLeaves(std::move(page), child.keys, where, *node);
        else
            LoadChildren(page, child, where, *node);
        return node;
    }

private:
    static const char* Name() { return BTreePageType<Leaf>() == PageType::NodeBTree ? "node B-tree" : "block B-tree"; }
    std::string Where(BlockRef ref) const {
        return std::string(Name()) + " page " + Hex(ref.bid.Value()) + " at " + Hex(ref.ib.Value());
    }
    [[noreturn]] static void Fail(const std::string& what) { throw PstError(ErrorKind::CorruptStructure, what); }

    // The page, once: within the depth any real file has, inside the file, intact, of the level wanted.
    BTreePage<Leaf> ReadChecked(const ChildPage& child, const std::string& where) {
        if (child.depth > kMaxDepth) Fail(std::string(Name()) + " is deeper than any real file's");
        if (!visited_.insert(child.ref.ib.Value()).second) Fail(where + " is reached twice (a cycle)");
        std::array<std::uint8_t, kPageSize> bytes{};
        if (child.ref.ib.Value() % 64 != 0 || !read_(child.ref.ib, bytes))
            Fail(where + " lies past the end of the file");
        if (auto problem = PageProblem(bytes, BTreePageType<Leaf>(), child.ref.bid, child.ref.ib))
            Fail(where + ": " + problem->what);
        Problem problem;
        auto page = BTreePage<Leaf>::Read(bytes, &problem);
        if (!page) Fail(where + ": " + problem.what);
        if (child.level >= 0 && page->cLevel != child.level)
            Fail(where + " has level " + std::to_string(page->cLevel) + " where " + std::to_string(child.level) +
                 " was expected");
        return std::move(*page);
    }

    static void CheckKey(std::uint64_t key, const KeyRange& keys, const std::string& where) {
        if (!keys.Holds(key)) Fail(where + " holds key " + Hex(key) + " outside the range its parent gives");
    }

    void TakeLeaves(BTreePage<Leaf>&& page, const KeyRange& keys, const std::string& where, Node& node) {
        for (const Leaf& e : page.leaves) CheckKey(e.Key(), keys, where);
        node.leaves = std::move(page.leaves);
        leafCount_ += node.leaves.size();
    }

    void LoadChildren(const BTreePage<Leaf>& page, const ChildPage& parent, const std::string& where, Node& node) {
        if (page.index.empty()) Fail(where + " is an intermediate page without entries");
        for (std::size_t i = 0; i < page.index.size(); ++i) {
            const auto& e = page.index[i];
            CheckKey(e.key, parent.keys, where);
            const bool last = i + 1 == page.index.size();
            const KeyRange keys{e.key, last ? parent.keys.high : page.index[i + 1].key,
                                last ? parent.keys.bounded : true};
            node.keys.push_back(e.key);
            node.children.push_back(Load(ChildPage{e.child, parent.depth + 1, node.level - 1, keys}));
        }
    }

    const ReadPage& read_;
    std::size_t& leafCount_;
    std::set<std::uint64_t> visited_;
};

template <class Leaf>
BTree<Leaf> BTree<Leaf>::Load(const ReadPage& read, BlockRef root) {
    BTree tree;
    tree.root_ = Loader(read, tree.size_).Load(ChildPage{root, 0, -1, KeyRange{}});
    return tree;
}

template <class Leaf>
const Leaf* BTree<Leaf>::Find(std::uint64_t key) const {
    const Node* n = root_.get();
    while (n->level > 0) {
        if (n->children.empty()) return nullptr;
        n = n->children[n->ChildFor(key)].get();
    }
    auto it = std::lower_bound(n->leaves.begin(), n->leaves.end(), key,
                               [](const Leaf& e, std::uint64_t k) { return e.Key() < k; });
    return it != n->leaves.end() && it->Key() == key ? &*it : nullptr;
}

template <class Leaf>
void BTree<Leaf>::Put(const Leaf& entry) {
    const std::uint64_t key = entry.Key();
    std::vector<std::pair<Node*, std::size_t>> path;  // node and the child index taken
    Node* n = root_.get();
    while (n->level > 0) {
        const std::size_t i = n->ChildFor(key);
        path.push_back({n, i});
        n = n->children[i].get();
    }
    auto it = std::lower_bound(n->leaves.begin(), n->leaves.end(), key,
                               [](const Leaf& e, std::uint64_t k) { return e.Key() < k; });
    if (it != n->leaves.end() && it->Key() == key) {
        *it = entry;
    } else {
        n->leaves.insert(it, entry);
        ++size_;
    }
    n->dirty = true;
    // Walk back up: refresh first keys, split full pages.
    Node* child = n;
    for (auto p = path.rbegin(); p != path.rend(); ++p) {
        Node* parent = p->first;
        const std::size_t i = p->second;
        parent->dirty = true;
        parent->keys[i] = child->FirstKey();
        if (child->Count() > child->Capacity()) SplitChild(*parent, i);
        child = parent;
    }
    if (root_->Count() > root_->Capacity()) {  // a full root: a new root above it, then split
        auto old = std::move(root_);
        root_ = std::make_unique<Node>();
        root_->level = static_cast<std::uint8_t>(old->level + 1);
        root_->keys.push_back(old->FirstKey());
        root_->children.push_back(std::move(old));
        SplitChild(*root_, 0);
    }
}

template <class Leaf>
bool BTree<Leaf>::Erase(std::uint64_t key) {
    std::vector<std::pair<Node*, std::size_t>> path;
    Node* n = root_.get();
    while (n->level > 0) {
        if (n->children.empty()) return false;
        const std::size_t i = n->ChildFor(key);
        path.push_back({n, i});
        n = n->children[i].get();
    }
    auto it = std::lower_bound(n->leaves.begin(), n->leaves.end(), key,
                               [](const Leaf& e, std::uint64_t k) { return e.Key() < k; });
    if (it == n->leaves.end() || it->Key() != key) return false;
    n->leaves.erase(it);
    --size_;
    n->dirty = true;
    Node* child = n;
    for (auto p = path.rbegin(); p != path.rend(); ++p) {
        Node* parent = p->first;
        const std::size_t i = p->second;
        parent->dirty = true;
        if (child->Count() == 0) {
            if (!child->where.bid.IsNull()) dropped_.push_back(child->where);
            parent->keys.erase(parent->keys.begin() + i);
            parent->children.erase(parent->children.begin() + i);
        } else {
            parent->keys[i] = child->FirstKey();
        }
        child = parent;
    }
    // A root with a single child (or none) gives way to that child.
    while (root_->level > 0 && root_->children.size() <= 1) {
        if (!root_->where.bid.IsNull()) dropped_.push_back(root_->where);
        if (root_->children.empty()) {
            root_ = std::make_unique<Node>();
        } else {
            auto only = std::move(root_->children[0]);
            root_ = std::move(only);
        }
    }
    return true;
}

template <class Leaf>
void BTree<Leaf>::ForEach(const std::function<void(const Leaf&)>& visit) const {
    std::function<void(const Node&)> walk = [&](const Node& n) {
        if (n.level == 0)
            for (const Leaf& e : n.leaves) visit(e);
        else
            for (const auto& c : n.children) walk(*c);
    };
    walk(*root_);
}

template <class Leaf>
BlockRef BTree<Leaf>::Flush(const PlacePage& place) {
    std::function<void(Node&)> flush = [&](Node& n) {
        if (!n.dirty) return;
        for (auto& c : n.children) flush(*c);
        BTreePage<Leaf> page;
        page.cLevel = n.level;
        if (n.level == 0) {
            page.leaves = n.leaves;
        } else {
            for (std::size_t i = 0; i < n.children.size(); ++i) page.index.push_back({n.keys[i], n.children[i]->where});
        }
        n.where = place(n.where, [&page](BlockId bid, FileOffset ib) { return page.Write(bid, ib); });
        n.dirty = false;
    };
    flush(*root_);
    return root_->where;
}

template <class Leaf>
std::vector<BlockRef> BTree<Leaf>::TakeDroppedPages() {
    return std::exchange(dropped_, {});
}

template <class Leaf>
BlockRef BTree<Leaf>::RootRef() const {
    return root_->where;
}

template <class Leaf>
int BTree<Leaf>::Depth() const {
    return root_->level + 1;
}

template class BTree<NodeEntry>;
template class BTree<BlockEntry>;

}  // namespace ferrowick::pst

#pragma once
// The node and block B-trees held in memory [MS-PST 2.2.2.7.7 BTrees]: loaded whole, changed
// in place (sorted leaves, splits when a page fills, empty pages dropped), and written back
// copy-on-write: a changed page always goes to a new place, so the pages of the last
// committed state stay intact until the header stops pointing at them.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "pst/ndb/btree_page.hpp"
#include "pst/ndb/header.hpp"

namespace ferrowick::pst {

template <class Leaf>
class BTree {
public:
    using ReadPage = std::function<bool(FileOffset, std::span<std::uint8_t>)>;
    using PageBuilder = std::function<std::array<std::uint8_t, kPageSize>(BlockId, FileOffset)>;
    // Places a page given its builder; `old` (possibly null) is the page it replaces.
    using PlacePage = std::function<BlockRef(BlockRef old, const PageBuilder& build)>;

    BTree();  // empty: one leaf page without entries
    BTree(BTree&&) noexcept;
    BTree& operator=(BTree&&) noexcept;
    ~BTree();

    // Throws PstError for damaged pages, wrong levels, keys out of order or out of range,
    // and cycles.
    static BTree Load(const ReadPage& read, BlockRef root);

    const Leaf* Find(std::uint64_t key) const;
    void Put(const Leaf& entry);  // insert or replace
    bool Erase(std::uint64_t key);
    void ForEach(const std::function<void(const Leaf&)>& visit) const;
    std::size_t Size() const { return size_; }

    // Writes every changed page, children first, and returns the root's new reference.
    BlockRef Flush(const PlacePage& place);
    // Pages dropped from the tree since the last call (to be freed once committed).
    std::vector<BlockRef> TakeDroppedPages();
    BlockRef RootRef() const;
    int Depth() const;

    struct Node;

private:
    class Loader;
    std::unique_ptr<Node> root_;
    std::size_t size_ = 0;
    std::vector<BlockRef> dropped_;
};

extern template class BTree<NodeEntry>;
extern template class BTree<BlockEntry>;

}  // namespace ferrowick::pst

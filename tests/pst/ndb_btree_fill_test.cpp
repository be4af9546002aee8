// Entries that arrive in rising order (as new NIDs and BIDs do) fill their B-tree pages
// instead of leaving each half empty, and every entry is still found.
#include <gtest/gtest.h>

#include <cstdint>

#include "pst/ndb/btree.hpp"

namespace ferrowick::pst {
namespace {

NodeEntry Entry(std::uint32_t i) {
    return NodeEntry{NodeId::Make(NidType::NormalMessage, 0x100 + i), NodeId(), BlockId(4 * i + 4), BlockId()};
}

// Flushes the tree and counts the pages it writes.
std::size_t PagesWritten(BTree<NodeEntry>& tree) {
    std::size_t pages = 0;
    tree.Flush([&](BlockRef, const BTree<NodeEntry>::PageBuilder& build) {
        ++pages;
        const BlockRef ref{BlockId(0x1000 + 4 * pages), FileOffset(0x4600 + 512 * pages)};
        (void)build(ref.bid, ref.ib);
        return ref;
    });
    return pages;
}

TEST(NdbBTreeFill, RisingEntriesFillTheirPagesAndAllAreFound) {
    constexpr std::uint32_t kCount = 20000;
    constexpr std::size_t kFullLeaves = (kCount + LeafCapacity<NodeEntry>() - 1) / LeafCapacity<NodeEntry>();
    BTree<NodeEntry> tree;
    for (std::uint32_t i = 0; i < kCount; ++i) tree.Put(Entry(i));
    ASSERT_EQ(tree.Size(), kCount);
    // Full leaves and the index pages above them, with little to spare: half-full leaves
    // would need twice as many.
    EXPECT_LE(PagesWritten(tree), kFullLeaves + kFullLeaves / 10);
    for (std::uint32_t i = 0; i < kCount; i += 7) {
        const NodeEntry* found = tree.Find(Entry(i).Key());
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(found->data, Entry(i).data);
    }
}

}  // namespace
}  // namespace ferrowick::pst

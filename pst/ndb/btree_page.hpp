#pragma once
// B-tree pages of the node and block B-trees [MS-PST 2.2.2.7.7 BTPAGE, 2.2.2.7.7.2 BTENTRY,
// 2.2.2.7.7.3 BBTENTRY, 2.2.2.7.7.4 NBTENTRY].
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pst/ndb/header.hpp"
#include "pst/ndb/ids.hpp"
#include "pst/ndb/page.hpp"
#include "pst/ndb/problem.hpp"

namespace ferrowick::pst {

inline constexpr std::size_t kBTreeEntryBytes = 488;

// Leaf entry of the node B-tree (NBTENTRY).
struct NodeEntry {
    static constexpr std::size_t kSize = 32;
    NodeId nid;
    NodeId parent;     // nidParent; zero when the node has none
    BlockId data;      // bidData; null for a node without data
    BlockId subnodes;  // bidSub; null for a node without sub-nodes

    std::uint64_t Key() const { return nid.Value(); }
    void Write(std::span<std::uint8_t> at) const;
    static NodeEntry Read(std::span<const std::uint8_t> at);
    bool operator==(const NodeEntry&) const = default;
};

// Leaf entry of the block B-tree (BBTENTRY).
struct BlockEntry {
    static constexpr std::size_t kSize = 24;
    BlockRef ref;
    std::uint16_t cb = 0;    // payload bytes, without the trailer
    std::uint16_t cRef = 0;  // references to the block, plus one as Outlook writes it

    std::uint64_t Key() const { return ref.bid.Value(); }
    void Write(std::span<std::uint8_t> at) const;
    static BlockEntry Read(std::span<const std::uint8_t> at);
    bool operator==(const BlockEntry&) const = default;
};

// Intermediate entry of either B-tree (BTENTRY): the first key below `child`.
struct IndexEntry {
    static constexpr std::size_t kSize = 24;
    std::uint64_t key = 0;
    BlockRef child;
};

template <class Leaf>
constexpr std::size_t LeafCapacity() {
    return kBTreeEntryBytes / Leaf::kSize;
}
inline constexpr std::size_t kIndexCapacity = kBTreeEntryBytes / IndexEntry::kSize;

// One page, parsed. `Leaf` is NodeEntry or BlockEntry.
template <class Leaf>
struct BTreePage {
    std::uint8_t cLevel = 0;
    std::vector<Leaf> leaves;       // cLevel == 0
    std::vector<IndexEntry> index;  // cLevel > 0

    // The 512 bytes with the trailer sealed for `bid` at `ib`.
    std::array<std::uint8_t, kPageSize> Write(BlockId bid, FileOffset ib) const;
    // Parses the entry area; the trailer is checked separately (PageProblem).
    static std::optional<BTreePage> Read(std::span<const std::uint8_t> page, Problem* problem);
};

template <class Leaf>
constexpr PageType BTreePageType();
template <>
constexpr PageType BTreePageType<NodeEntry>() {
    return PageType::NodeBTree;
}
template <>
constexpr PageType BTreePageType<BlockEntry>() {
    return PageType::BlockBTree;
}

extern template struct BTreePage<NodeEntry>;
extern template struct BTreePage<BlockEntry>;

}  // namespace ferrowick::pst

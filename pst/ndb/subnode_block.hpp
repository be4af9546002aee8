#pragma once
// Sub-node trees: SLBLOCK (leaf: a sub-node's data and sub-node blocks) and SIBLOCK
// (intermediate: points at SLBLOCKs) [MS-PST 2.2.2.8.3.3.1 SLBLOCK, 2.2.2.8.3.3.2 SIBLOCK].
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pst/ndb/ids.hpp"
#include "pst/ndb/problem.hpp"

namespace ferrowick::pst {

struct SubnodeLeafEntry {  // SLENTRY
    NodeId nid;
    BlockId data;
    BlockId subnodes;
};

struct SubnodeIndexEntry {  // SIENTRY
    NodeId nid;             // first NID below `block`
    BlockId block;
};

struct SubnodeBlock {
    static constexpr std::uint8_t kType = 0x02;
    static constexpr std::size_t kMaxLeafEntries = (8176 - 8) / 24;   // 340
    static constexpr std::size_t kMaxIndexEntries = (8176 - 8) / 16;  // 510

    std::uint8_t cLevel = 0;  // 0: SLBLOCK, 1: SIBLOCK
    std::vector<SubnodeLeafEntry> leaves;
    std::vector<SubnodeIndexEntry> index;

    std::vector<std::uint8_t> Write() const;
    static std::optional<SubnodeBlock> Read(std::span<const std::uint8_t> payload, Problem* problem);
};

}  // namespace ferrowick::pst

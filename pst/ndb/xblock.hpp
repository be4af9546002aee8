#pragma once
// Data trees: XBLOCK and XXBLOCK list the blocks of a node's data in order
// [MS-PST 2.2.2.8.3.2.1 XBLOCK, 2.2.2.8.3.2.2 XXBLOCK].
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pst/ndb/ids.hpp"
#include "pst/ndb/problem.hpp"

namespace ferrowick::pst {

struct XBlock {
    static constexpr std::uint8_t kType = 0x01;
    static constexpr std::size_t kMaxEntries = (8176 - 8) / 8;  // 1,021 BIDs per block

    std::uint8_t cLevel = 1;     // 1: XBLOCK (lists data blocks); 2: XXBLOCK (lists XBLOCKs)
    std::uint32_t lcbTotal = 0;  // bytes of node data below this block
    std::vector<BlockId> children;

    std::vector<std::uint8_t> Write() const;
    // Parses a decoded payload; a problem when it is no well-formed XBLOCK/XXBLOCK.
    static std::optional<XBlock> Read(std::span<const std::uint8_t> payload, Problem* problem);
};

}  // namespace ferrowick::pst

#pragma once
// What the data and sub-node trees need from the node database: writing a block to free
// space, reading one back by BID (decoded, trailer checked) and listing one again.
#include <cstdint>
#include <span>
#include <vector>

#include "pst/ndb/ids.hpp"

namespace ferrowick::pst {

class BlockStore {
public:
    virtual ~BlockStore() = default;
    // Data blocks are encoded with the file's method; internal blocks are not [MS-PST 5.1].
    virtual BlockId WriteBlock(std::span<const std::uint8_t> payload, bool internal) = 0;
    // Throws PstError when the block is missing or damaged.
    virtual std::vector<std::uint8_t> ReadBlock(BlockId bid) = 0;
    // One more reference to a block already in the file, which a new data tree lists again
    // unchanged; returns its payload size. Throws PstError when the block is not there.
    virtual std::uint16_t ShareBlock(BlockId bid) = 0;
};

}  // namespace ferrowick::pst

#pragma once
// A node's data stream as blocks [MS-PST 2.2.2.8.3.2 data trees]: one data block, or an
// XBLOCK listing up to 1,021 data blocks, or an XXBLOCK listing up to 1,021 XBLOCKs.
#include <cstdint>
#include <set>
#include <vector>

#include "pst/ndb/block_store.hpp"

namespace ferrowick::pst {

using Pieces = std::vector<std::vector<std::uint8_t>>;

// Null BID for no pieces. Throws PstError when the data is too large for an XXBLOCK tree.
BlockId WriteDataTree(BlockStore& store, const Pieces& pieces);
// The same for a node's data: its pieces (a kept one shared, not written again; every
// piece's BID recorded in data.placed), or its stream read one block's worth at a time,
// each block written as it fills, and each XBLOCK as its list fills.
BlockId WriteDataTree(BlockStore& store, const struct NodeData& data);

// `seen` collects the BIDs met, so that a block listed twice (a loop) is an error.
Pieces ReadDataTree(BlockStore& store, BlockId root, std::set<std::uint64_t>& seen);

}  // namespace ferrowick::pst

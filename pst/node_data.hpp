#pragma once
// What the lists/tables layer hands to the node database and gets back from it: one node's
// data stream, already split into the pieces that become its data blocks, and its sub-nodes
// [MS-PST 2.2.2.8.3 data trees, 2.2.2.8.3.3 sub-node trees]. A heap-on-node puts one heap
// page in each piece; a plain stream (a large property value) is cut into full pieces.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "mapi/byte_stream.hpp"
#include "pst/ndb/ids.hpp"

namespace ferrowick::pst {

// The most a data block carries: 8,192 bytes less its 16-byte trailer [MS-PST 2.2.2.8.1].
inline constexpr std::size_t kMaxDataBlockPayload = 8176;

struct NodeData {
    std::vector<std::vector<std::uint8_t>> pieces;  // each at most kMaxDataBlockPayload bytes
    std::map<NodeId, NodeData> subnodes;            // keyed by the sub-node's NID
    // Instead of pieces: a plain stream read piece by piece as its blocks are written, so a
    // large value is never held whole.
    std::shared_ptr<const mapi::ByteStream> stream;
    // For a node rewritten with most of its blocks unchanged: where kept[i] is a BID, piece
    // i is that data block as it already lies in the file (pieces[i] is not looked at), and
    // the new node shares the block instead of writing it again. Empty: every piece is new.
    std::vector<BlockId> kept;
    // Filled in as the pieces are written: each piece's BID, for a later rewrite's `kept`.
    mutable std::vector<BlockId> placed;

    std::size_t TotalSize() const {
        std::size_t n = stream ? static_cast<std::size_t>(stream->Size()) : 0;
        for (const auto& p : pieces) n += p.size();
        return n;
    }
};

}  // namespace ferrowick::pst

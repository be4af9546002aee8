// Values stored through an HNID [MS-PST 2.3.3.2].
#include "pst/ltp/value_storage.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {

NodeData StreamNode(le::ByteView bytes) {
    NodeData node;
    node.pieces.reserve((bytes.size() + kMaxDataBlockPayload - 1) / kMaxDataBlockPayload);
    for (std::size_t at = 0; at < bytes.size(); at += kMaxDataBlockPayload) {
        const std::size_t n = std::min(kMaxDataBlockPayload, bytes.size() - at);
        node.pieces.emplace_back(bytes.begin() + at, bytes.begin() + at + n);
    }
    return node;
}

le::Bytes JoinStream(const NodeData& node, std::size_t limit) {
    const std::size_t total = node.TotalSize();
    if (total > limit)
        throw PstError(ErrorKind::LimitExceeded, "a value stream of " + std::to_string(total) +
                                                     " bytes exceeds the limit of " + std::to_string(limit));
    le::Bytes out;
    out.reserve(total);
    for (const auto& piece : node.pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

StoredValue LoadValue(const HeapReader& heap, const NodeData& node, HeapOrNodeId hnid) {
    StoredValue value;
    if (hnid.IsNull()) return value;
    if (hnid.IsHeapId()) {
        value.view = heap.Item(hnid.AsHeapId());
        return value;
    }
    const auto it = node.subnodes.find(hnid.AsNodeId());
    if (it == node.subnodes.end()) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%X", hnid.value);
        throw PstError(ErrorKind::CorruptStructure,
                       std::string("a value refers to sub-node ") + text + ", which the node does not have");
    }
    value.owned = JoinStream(it->second, 0xFFFFFFFFu);  // a value's size is a 32-bit count
    value.view = value.owned;
    return value;
}

NodeId ValueStore::NewSubnodeId() {
    for (;;) {
        if (nextIndex_ >= (1u << 27)) throw PstError(ErrorKind::LimitExceeded, "no sub-node IDs left for values");
        const NodeId nid = NodeId::Make(NidType::Ltp, nextIndex_++);
        if (!subnodes_.contains(nid)) return nid;
    }
}

HeapOrNodeId ValueStore::Store(le::ByteView bytes) {
    if (bytes.empty()) return HeapOrNodeId();
    if (bytes.size() <= kMaxHeapAllocation) return heap_.Allocate(bytes);
    if (bytes.size() > 0xFFFFFFFFu) throw PstError(ErrorKind::LimitExceeded, "a value of more than 4 GiB");
    const NodeId nid = NewSubnodeId();
    subnodes_.emplace(nid, StreamNode(bytes));
    return nid;
}

}  // namespace ferrowick::pst

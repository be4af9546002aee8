#pragma once
// Where a value too large for a PC's dwValueHnid or a TC cell lives [MS-PST 2.3.3.2 HNID]:
// in a heap item when it fits one (up to 3,580 bytes), else as the plain stream of a
// sub-node of the same node. A null HNID stands for an empty value.
#include <map>

#include "pst/ltp/heap.hpp"
#include "pst/ltp/heap_id.hpp"
#include "pst/node_data.hpp"

namespace ferrowick::pst {

// A plain stream cut into full data-block pieces, the last one shorter.
NodeData StreamNode(le::ByteView bytes);
// The bytes of a plain stream, bounded by `limit` (a PstError when longer).
le::Bytes JoinStream(const NodeData& node, std::size_t limit);

// A value read through an HNID: a view into the heap, or bytes gathered from a sub-node.
struct StoredValue {
    le::ByteView view;
    le::Bytes owned;
};

StoredValue LoadValue(const HeapReader& heap, const NodeData& node, HeapOrNodeId hnid);

// Hands out HNIDs for values while a PC or TC is written, creating value sub-nodes with NIDs
// that none of the node's other sub-nodes uses.
class ValueStore {
public:
    ValueStore(HeapWriter& heap, std::map<NodeId, NodeData>& subnodes) : heap_(heap), subnodes_(subnodes) {}
    HeapOrNodeId Store(le::ByteView bytes);
    NodeId NewSubnodeId();

private:
    HeapWriter& heap_;
    std::map<NodeId, NodeData>& subnodes_;
    std::uint32_t nextIndex_ = 1;
};

}  // namespace ferrowick::pst

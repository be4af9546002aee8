#pragma once
// A node's sub-nodes as blocks [MS-PST 2.2.2.8.3.3 sub-node trees]: one SLBLOCK of up to 340
// entries, or an SIBLOCK over SLBLOCKs; each sub-node has its own data tree and may have
// sub-nodes of its own.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "pst/ndb/block_store.hpp"
#include "pst/node_data.hpp"

namespace ferrowick::pst {

BlockId WriteSubnodeTree(BlockStore& store, const std::map<NodeId, NodeData>& subnodes);

// `seen` guards against loops; `depth` against sub-nodes nested without end.
std::map<NodeId, NodeData> ReadSubnodeTree(BlockStore& store, BlockId root, std::set<std::uint64_t>& seen,
                                           int depth = 0);

// Calls `visit` with every NID in the sub-node tree under `root`, nested ones included,
// reading only the tree's own blocks (not the sub-nodes' data).
void ForEachSubnodeId(BlockStore& store, BlockId root, const std::function<void(NodeId)>& visit, int depth = 0);

}  // namespace ferrowick::pst

// [MS-PST 2.2.2.8.3.3 Subnode BTree]
#include "pst/ndb/subnode_tree.hpp"

#include <algorithm>
#include <string>

#include "pst/ndb/data_tree.hpp"
#include "pst/ndb/hex_text.hpp"
#include "pst/ndb/subnode_block.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

constexpr int kMaxNesting = 32;

SubnodeBlock ReadSubnodeBlock(BlockStore& store, BlockId bid) {
    if (!bid.IsInternal())
        throw PstError(ErrorKind::CorruptStructure,
                       "sub-node tree BID " + Hex(bid.Value()) + " is not an internal block");
    Problem problem;
    auto s = SubnodeBlock::Read(store.ReadBlock(bid), &problem);
    if (!s) throw PstError(ErrorKind::CorruptStructure, "block " + Hex(bid.Value()) + ": " + problem.what);
    return *s;
}

// The SLENTRY lists under `root`, in order, whatever its level.
std::vector<SubnodeLeafEntry> LeafEntries(BlockStore& store, BlockId root, std::set<std::uint64_t>* seen) {
    auto visit = [&](BlockId bid) {
        if (seen && !seen->insert(bid.Value()).second)
            throw PstError(ErrorKind::CorruptStructure, "block " + Hex(bid.Value()) + " is reached twice in one node");
    };
    visit(root);
    SubnodeBlock top = ReadSubnodeBlock(store, root);
    if (top.cLevel == 0) return top.leaves;
    std::vector<SubnodeLeafEntry> all;
    for (const auto& e : top.index) {
        visit(e.block);
        SubnodeBlock leaf = ReadSubnodeBlock(store, e.block);
        if (leaf.cLevel != 0)
            throw PstError(ErrorKind::CorruptStructure,
                           "SIBLOCK " + Hex(root.Value()) + " points at a block that is no SLBLOCK");
        all.insert(all.end(), leaf.leaves.begin(), leaf.leaves.end());
    }
    return all;
}

}  // namespace

BlockId WriteSubnodeTree(BlockStore& store, const std::map<NodeId, NodeData>& subnodes) {
    if (subnodes.empty()) return BlockId();
    std::vector<SubnodeLeafEntry> entries;
    entries.reserve(subnodes.size());
    for (const auto& [nid, data] : subnodes)
        entries.push_back({nid, WriteDataTree(store, data), WriteSubnodeTree(store, data.subnodes)});

    const std::size_t per = SubnodeBlock::kMaxLeafEntries;
    if (entries.size() > per * SubnodeBlock::kMaxIndexEntries)
        throw PstError(ErrorKind::LimitExceeded, "a node has more sub-nodes than one SIBLOCK can index");
    std::vector<SubnodeIndexEntry> index;
    for (std::size_t i = 0; i < entries.size(); i += per) {
        SubnodeBlock leaf;
        leaf.cLevel = 0;
        leaf.leaves.assign(entries.begin() + i, entries.begin() + std::min(entries.size(), i + per));
        if (entries.size() <= per) return store.WriteBlock(leaf.Write(), true);
        index.push_back({leaf.leaves.front().nid, store.WriteBlock(leaf.Write(), true)});
    }
    SubnodeBlock top;
    top.cLevel = 1;
    top.index = std::move(index);
    return store.WriteBlock(top.Write(), true);
}

std::map<NodeId, NodeData> ReadSubnodeTree(BlockStore& store, BlockId root, std::set<std::uint64_t>& seen, int depth) {
    std::map<NodeId, NodeData> out;
    if (root.IsNull()) return out;
    if (depth > kMaxNesting)
        throw PstError(ErrorKind::CorruptStructure, "sub-nodes are nested deeper than any real file's");
    for (const auto& e : LeafEntries(store, root, &seen)) {
        NodeData data;
        data.pieces = ReadDataTree(store, e.data, seen);
        data.subnodes = ReadSubnodeTree(store, e.subnodes, seen, depth + 1);
        if (!out.emplace(e.nid, std::move(data)).second)
            throw PstError(ErrorKind::CorruptStructure, "sub-node " + Hex(e.nid.Value()) + " appears twice");
    }
    return out;
}

void ForEachSubnodeId(BlockStore& store, BlockId root, const std::function<void(NodeId)>& visit, int depth) {
    if (root.IsNull()) return;
    if (depth > kMaxNesting)
        throw PstError(ErrorKind::CorruptStructure, "sub-nodes are nested deeper than any real file's");
    std::set<std::uint64_t> seen;
    for (const auto& e : LeafEntries(store, root, &seen)) {
        visit(e.nid);
        ForEachSubnodeId(store, e.subnodes, visit, depth + 1);
    }
}

}  // namespace ferrowick::pst

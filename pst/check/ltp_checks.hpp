#pragma once
// Checks of the lists/tables layer on one node's content: heap page maps and allocations,
// BTH order, property contexts and table contexts whose row index and row matrix agree.
// Each returns the findings (none when sound) and never throws on damaged content.
#include <string>

#include "pst/finding.hpp"
#include "pst/node_data.hpp"

namespace ferrowick::pst {

Findings CheckHeap(const NodeData& node, const std::string& where);
Findings CheckBth(const NodeData& node, const std::string& where);  // the BTH at the heap's user root
Findings CheckPropertyContext(const NodeData& node, const std::string& where);
Findings CheckTableContext(const NodeData& node, const std::string& where);

// Picks the checks a node needs from its NID type and heap signature: property contexts for
// folders, messages, attachments and the store; table contexts for the tables; a heap check
// for any other node that holds a heap. Sub-nodes that hold heaps are checked too.
Findings CheckLtpNode(NodeId nid, const NodeData& node, const std::string& where);

}  // namespace ferrowick::pst

#pragma once
// Property context [MS-PST 2.3.3]: a heap (client signature 0xBC) whose user root is a BTH of
// 2-byte property IDs to 6-byte PC_BTH_RECORDs (wPropType, dwValueHnid) [2.3.3.3]. Fixed values
// of up to 4 bytes sit in dwValueHnid; others in a heap item or, above 3,580 bytes, a sub-node.
#include <cstdint>
#include <map>
#include <memory>

#include "pst/ltp/property_types.hpp"
#include "pst/node_data.hpp"

namespace ferrowick::pst {

// The properties of one object: the property model's set. A PC holds one value per ID, so
// the layers above set values by ID (PropertySet::Set(id, value)).
using PropertyBag = mapi::PropertySet;

// Reads a PC; throws PstError naming the damage. Value sub-nodes are looked up in
// node.subnodes; other sub-nodes (attachments, tables) are left to the caller.
PropertyBag ReadPropertyContext(const NodeData& node);

// Writes `bag` as a PC. `subnodes` are the node's other sub-nodes; value sub-nodes are added
// to them with NIDs none of them uses.
// Values in `streamed` (by ID; the bag holds an empty binary or string value in their place,
// the stream the bytes a PC stores for the value) go to sub-nodes written from their streams,
// never held whole.
using StreamedValues = mapi::StreamedValues;
NodeData WritePropertyContext(const PropertyBag& bag, std::map<NodeId, NodeData> subnodes = {},
                              const StreamedValues& streamed = {});

}  // namespace ferrowick::pst

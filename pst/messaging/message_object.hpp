#pragma once
// Message objects [MS-PST 2.4.5]: a PC (NID type NORMAL_MESSAGE) with the recipient table
// (sub-node 0x692) and the attachment table (sub-node 0x671) as sub-nodes, and one
// attachment object [MS-PST 2.4.6] per attachment, also a sub-node. An attached message
// (method 5) is a message object inside the attachment, named by a PtypObject value.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "pst/ltp/property_context.hpp"
#include "pst/node_data.hpp"

namespace ferrowick::pst {

struct MessageContent;

inline constexpr std::int32_t kAttachByValue = 1;             // afByValue
inline constexpr std::int32_t kAttachEmbeddedMessage = 5;     // afEmbeddedMessage
inline constexpr std::int32_t kRenderingPositionHidden = -1;  // not rendered inline

struct AttachmentContent {
    PropertyBag properties;                    // PidTagAttachDataBinary for attachments by value
    std::shared_ptr<MessageContent> embedded;  // set for an attached message
    // A large PidTagAttachDataBinary read as it is written, in place of the bag's value.
    std::shared_ptr<const mapi::ByteStream> data;
    // Other values read as they are written (see WritePropertyContext).
    StreamedValues streamed;
};

struct MessageContent {
    PropertyBag properties;
    std::vector<PropertyBag> recipients;
    std::vector<AttachmentContent> attachments;
    // Values only the folder's contents table carries for the message (its row), not its PC.
    PropertyBag row_only;
    // Values read as they are written (its bodies, when large; see WritePropertyContext).
    StreamedValues streamed;
};

// Where a message being built takes its identifiers from: the NIDs of its attachments and
// attached messages from the file's counters (so that they are unique in the whole file),
// and the store-wide sequence that row IDs and row versions of its tables are drawn from.
struct MessageIdSource {
    std::function<NodeId(NidType)> next_nid;
    std::function<std::uint32_t()> next_row_number;
};

// The message's node. Fills in what the store computes and keeps in `content`:
// PidTagMessageSize (the bytes of the message's node and sub-nodes), and for each attachment PidTagAttachSize,
// PidTagAttachMethod and PidTagRenderingPosition when absent. Throws PstError for content the format cannot carry.
NodeData BuildMessageNode(MessageContent& content, const MessageIdSource& ids);

// Reads a message node back (for the reader and the tests). Recipients get PidTagRowid, their
// position, as a recipient table shows it: the value is not stored.
MessageContent ReadMessageNode(const NodeData& node);

std::uint64_t TotalNodeBytes(const NodeData& node);

}  // namespace ferrowick::pst

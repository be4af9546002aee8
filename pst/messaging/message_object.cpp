// Message object [MS-PST 2.4.5], recipient table [2.4.5.3], attachment table [2.4.6.1],
// attachment object [2.4.6.2].
#include "pst/messaging/message_object.hpp"

#include <set>

#include "pst/ltp/table_context.hpp"
#include "pst/messaging/property_tags.hpp"
#include "pst/messaging/table_templates.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

constexpr NodeId kRecipientTableSubnode{0x692};
constexpr NodeId kAttachmentTableSubnode{0x671};
constexpr std::uint32_t kFirstAttachmentIndex = 0x401;

std::int32_t SizeValue(std::uint64_t bytes) {
    return bytes > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(bytes);
}

// The PC once with the size property at zero, then again with the size it came to: the
// value is stored inline, so writing it does not change the size.
NodeData WriteSized(PropertyBag& bag, PropertyTag size_tag, const std::map<NodeId, NodeData>& subnodes) {
    bag.Set(size_tag.id, PropertyValue::Integer32(0));
    NodeData first = WritePropertyContext(bag, subnodes);
    bag.Set(size_tag.id, PropertyValue::Integer32(SizeValue(TotalNodeBytes(first))));
    return WritePropertyContext(bag, subnodes);
}

NodeData BuildAttachment(AttachmentContent& attachment, const MessageNidSource& next_message_nid) {
    PropertyBag& bag = attachment.properties;
    std::map<NodeId, NodeData> subnodes;
    if (attachment.embedded) {
        bag.Set(tags::kAttachMethod.id, PropertyValue::Integer32(kAttachEmbeddedMessage));
        const NodeId nid = next_message_nid();
        NodeData message = BuildMessageNode(*attachment.embedded, next_message_nid);
        const auto size = static_cast<std::uint32_t>(SizeValue(TotalNodeBytes(message)));
        bag.Set(tags::kAttachDataObject.id, PropertyValue::Object(ObjectReference{nid, size}));
        subnodes.emplace(nid, std::move(message));
    } else if (!bag.Find(tags::kAttachMethod)) {
        bag.Set(tags::kAttachMethod.id, PropertyValue::Integer32(kAttachByValue));
    }
    if (!bag.Find(tags::kRenderingPosition))
        bag.Set(tags::kRenderingPosition.id, PropertyValue::Integer32(kRenderingPositionHidden));
    return WriteSized(bag, tags::kAttachSize, subnodes);
}

// The recipient table is the only home of a recipient's properties, so its columns are the
// template's plus every other property a recipient carries (as far as a table can hold).
std::vector<PropertyTag> RecipientColumnsFor(const std::vector<PropertyBag>& recipients) {
    std::vector<PropertyTag> columns = RecipientTableColumns();
    std::set<std::uint16_t> ids;
    for (const PropertyTag& tag : columns) ids.insert(tag.id);
    ids.insert(kLtpRowIdTag.id);
    ids.insert(kLtpRowVersionTag.id);
    constexpr std::size_t kMaxOwnColumns = 253;  // 255 less the row ID and row version columns
    for (const PropertyBag& bag : recipients)
        for (const auto& [id, value] : bag)
            if (columns.size() < kMaxOwnColumns && ids.insert(id).second) columns.push_back(PropertyTag{id, value.Type()});
    return columns;
}

}  // namespace

std::uint64_t TotalNodeBytes(const NodeData& node) {
    std::uint64_t n = node.TotalSize();
    for (const auto& [nid, sub] : node.subnodes) n += TotalNodeBytes(sub);
    return n;
}

NodeData BuildMessageNode(MessageContent& content, const MessageNidSource& next_message_nid) {
    std::map<NodeId, NodeData> subnodes;

    TableContext recipients(RecipientColumnsFor(content.recipients));
    for (std::size_t i = 0; i < content.recipients.size(); ++i) {
        // Row IDs of recipients are their PidTagRowid values, 0 up.
        recipients.PutRow(static_cast<std::uint32_t>(i), RowFromProperties(recipients, content.recipients[i], 1));
    }
    subnodes.emplace(kRecipientTableSubnode, recipients.Write());

    TableContext attachments(AttachmentTableColumns());
    for (std::size_t i = 0; i < content.attachments.size(); ++i) {
        const NodeId nid = NodeId::Make(NidType::Attachment, kFirstAttachmentIndex + static_cast<std::uint32_t>(i));
        NodeData node = BuildAttachment(content.attachments[i], next_message_nid);
        attachments.PutRow(nid.value, RowFromProperties(attachments, content.attachments[i].properties, 1));
        subnodes.emplace(nid, std::move(node));
    }
    subnodes.emplace(kAttachmentTableSubnode, attachments.Write());

    PropertyBag& bag = content.properties;
    if (!bag.Find(tags::kMessageClass)) bag.Set(tags::kMessageClass.id, PropertyValue::String(u"IPM.Note"));
    if (!bag.Find(tags::kMessageFlags)) bag.Set(tags::kMessageFlags.id, PropertyValue::Integer32(0));
    return WriteSized(bag, tags::kMessageSize, subnodes);
}

MessageContent ReadMessageNode(const NodeData& node) {
    MessageContent content;
    content.properties = ReadPropertyContext(node);
    if (const auto it = node.subnodes.find(kRecipientTableSubnode); it != node.subnodes.end()) {
        const TableContext table = TableContext::Read(it->second);
        for (const auto& row : table.Rows()) {
            PropertyBag bag;
            for (std::size_t i = 0; i < row.cells.size(); ++i)
                if (row.cells[i] && table.Columns()[i].tag != kLtpRowIdTag && table.Columns()[i].tag != kLtpRowVersionTag)
                    bag.Set(table.Columns()[i].tag.id, *row.cells[i]);
            content.recipients.push_back(std::move(bag));
        }
    }
    if (const auto it = node.subnodes.find(kAttachmentTableSubnode); it != node.subnodes.end()) {
        const TableContext table = TableContext::Read(it->second);
        for (const auto& row : table.Rows()) {
            const auto sub = node.subnodes.find(NodeId(row.id));
            if (sub == node.subnodes.end()) throw PstError("message: an attachment row has no attachment object");
            AttachmentContent attachment;
            attachment.properties = ReadPropertyContext(sub->second);
            if (const PropertyValue* object = attachment.properties.Find(tags::kAttachDataObject)) {
                const auto embedded = sub->second.subnodes.find(object->As<ObjectReference>().node);
                if (embedded == sub->second.subnodes.end()) throw PstError("message: an attached message is missing");
                attachment.embedded = std::make_shared<MessageContent>(ReadMessageNode(embedded->second));
            }
            content.attachments.push_back(std::move(attachment));
        }
    }
    return content;
}

}  // namespace ferrowick::pst

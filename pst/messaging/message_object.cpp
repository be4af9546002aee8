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
constexpr std::uint16_t kPidTagRowid = 0x3000;

std::int32_t SizeValue(std::uint64_t bytes) {
    return bytes > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(bytes);
}

// The PC once with the size property at zero, then again with the size it came to: the
// value is stored inline, so writing it does not change the size. The trial PC leaves the
// sub-nodes out (their bytes are added) and is gone before the real one is written, so an
// attachment's data is never held twice over.
NodeData WriteSized(PropertyBag& bag, PropertyTag sizeTag, std::map<NodeId, NodeData> subnodes,
                    const StreamedValues& streamed = {}) {
    bag.Set(sizeTag.id, PropertyValue::Integer32(0));
    std::uint64_t size = TotalNodeBytes(WritePropertyContext(bag));
    for (const auto& [nid, sub] : subnodes) size += TotalNodeBytes(sub);
    for (const auto& [id, stream] : streamed) size += stream->Size();
    bag.Set(sizeTag.id, PropertyValue::Integer32(SizeValue(size)));
    return WritePropertyContext(bag, std::move(subnodes), streamed);
}

NodeData BuildAttachment(AttachmentContent& attachment, const MessageIdSource& ids) {
    PropertyBag& bag = attachment.properties;
    std::map<NodeId, NodeData> subnodes;
    if (attachment.embedded) {
        bag.Set(tags::kAttachMethod.id, PropertyValue::Integer32(kAttachEmbeddedMessage));
        const NodeId nid = ids.next_nid(NidType::NormalMessage);
        NodeData message = BuildMessageNode(*attachment.embedded, ids);
        const auto size = static_cast<std::uint32_t>(SizeValue(TotalNodeBytes(message)));
        bag.Set(tags::kAttachDataObject.id, PropertyValue::Object(ObjectReference{nid.Value(), size}));
        subnodes.emplace(nid, std::move(message));
    } else if (!bag.Find(tags::kAttachMethod)) {
        bag.Set(tags::kAttachMethod.id, PropertyValue::Integer32(kAttachByValue));
    }
    if (!bag.Find(tags::kRenderingPosition))
        bag.Set(tags::kRenderingPosition.id, PropertyValue::Integer32(kRenderingPositionHidden));
    StreamedValues streamed = attachment.streamed;
    if (attachment.data && !attachment.embedded) {
        bag.Set(tags::kAttachDataBinary.id, PropertyValue::Binary({}));
        streamed.emplace(tags::kAttachDataBinary.id, attachment.data);
    }
    return WriteSized(bag, tags::kAttachSize, std::move(subnodes), streamed);
}

// The recipient table is the only home of a recipient's properties, so its columns are the
// template's plus every other property a recipient carries (as far as a table can hold),
// except PidTagRowid, which the table itself gives and no store keeps.
std::vector<PropertyTag> RecipientColumnsFor(const std::vector<PropertyBag>& recipients) {
    std::vector<PropertyTag> columns = RecipientTableColumns();
    std::set<std::uint16_t> ids;
    for (const PropertyTag& tag : columns) ids.insert(tag.id);
    ids.insert(kLtpRowIdTag.id);
    ids.insert(kLtpRowVersionTag.id);
    ids.insert(kPidTagRowid);
    constexpr std::size_t kMaxOwnColumns = 253;  // 255 less the row ID and row version columns
    for (const PropertyBag& bag : recipients)
        for (const mapi::Property& p : bag)
            if (columns.size() < kMaxOwnColumns && ids.insert(p.tag.id).second) columns.push_back(p.tag);
    return columns;
}

}  // namespace

std::uint64_t TotalNodeBytes(const NodeData& node) {
    std::uint64_t n = node.TotalSize();
    for (const auto& [nid, sub] : node.subnodes) n += TotalNodeBytes(sub);
    return n;
}

NodeData BuildMessageNode(MessageContent& content, const MessageIdSource& ids) {
    std::map<NodeId, NodeData> subnodes;

    TableContext recipients(RecipientColumnsFor(content.recipients));
    for (const PropertyBag& recipient : content.recipients) {
        // Outlook takes three numbers of the store's row sequence for each recipient it
        // writes: the first is the row ID, the third the row version (every recipient row of
        // its stores has version = ID + 2), so no ID is 0 and none repeats in the store.
        const std::uint32_t rowId = ids.next_row_number();
        ids.next_row_number();
        const std::uint32_t rowVersion = ids.next_row_number();
        recipients.PutRow(rowId, RowFromProperties(recipients, recipient, rowVersion));
    }
    subnodes.emplace(kRecipientTableSubnode, recipients.Write());

    TableContext attachments(AttachmentTableColumns());
    for (AttachmentContent& attachment : content.attachments) {
        const NodeId nid = ids.next_nid(NidType::Attachment);
        NodeData node = BuildAttachment(attachment, ids);
        attachments.PutRow(nid.Value(), RowFromProperties(attachments, attachment.properties, ids.next_row_number()));
        subnodes.emplace(nid, std::move(node));
    }
    subnodes.emplace(kAttachmentTableSubnode, attachments.Write());

    PropertyBag& bag = content.properties;
    if (!bag.Find(tags::kMessageClass)) bag.Set(tags::kMessageClass.id, PropertyValue::String(u"IPM.Note"));
    if (!bag.Find(tags::kMessageFlags)) bag.Set(tags::kMessageFlags.id, PropertyValue::Integer32(0));
    return WriteSized(bag, tags::kMessageSize, std::move(subnodes), content.streamed);
}

MessageContent ReadMessageNode(const NodeData& node) {
    MessageContent content;
    content.properties = ReadPropertyContext(node);
    if (const auto it = node.subnodes.find(kRecipientTableSubnode); it != node.subnodes.end()) {
        const TableContext table = TableContext::Read(it->second);
        for (const auto& row : table.Rows()) {
            PropertyBag bag;
            for (std::size_t i = 0; i < row.cells.size(); ++i)
                if (row.cells[i] && table.Columns()[i].tag != kLtpRowIdTag &&
                    table.Columns()[i].tag != kLtpRowVersionTag)
                    bag.Set(table.Columns()[i].tag.id, *row.cells[i]);
            bag.Set(kPidTagRowid, PropertyValue::Integer32(static_cast<std::int32_t>(content.recipients.size())));
            content.recipients.push_back(std::move(bag));
        }
    }
    if (const auto it = node.subnodes.find(kAttachmentTableSubnode); it != node.subnodes.end()) {
        const TableContext table = TableContext::Read(it->second);
        for (const auto& row : table.Rows()) {
            const auto sub = node.subnodes.find(NodeId(row.id));
            if (sub == node.subnodes.end())
                throw PstError(ErrorKind::CorruptStructure, "message: an attachment row has no attachment object");
            AttachmentContent attachment;
            attachment.properties = ReadPropertyContext(sub->second);
            if (const PropertyValue* object = attachment.properties.Find(tags::kAttachDataObject)) {
                const auto embedded = sub->second.subnodes.find(NodeId(object->As<ObjectReference>().subnode));
                if (embedded == sub->second.subnodes.end())
                    throw PstError(ErrorKind::CorruptStructure, "message: an attached message is missing");
                attachment.embedded = std::make_shared<MessageContent>(ReadMessageNode(embedded->second));
            }
            content.attachments.push_back(std::move(attachment));
        }
    }
    return content;
}

}  // namespace ferrowick::pst

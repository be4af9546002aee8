// [MS-OXMSG 2.4 Property Stream, 2.4.1 Header, 2.4.2 Data]
#include "msg/property_stream.hpp"

#include <algorithm>
#include <string>

#include "bytes/little_endian.hpp"
#include "msg/msg_error.hpp"

namespace ferrowick::msg {

std::size_t HeaderSize(PropertyStreamKind kind) {
    switch (kind) {
        case PropertyStreamKind::TopLevelMessage:
            return 32;
        case PropertyStreamKind::EmbeddedMessage:
            return 24;
        case PropertyStreamKind::RecipientOrAttachment:
            return 8;
    }
    return 8;
}

PropertyStream PropertyStream::Parse(std::span<const std::uint8_t> b, PropertyStreamKind kind) {
    const std::size_t header = HeaderSize(kind);
    if (b.size() < header)
        throw MsgError(ErrorKind::CorruptStructure, "property stream of " + std::to_string(b.size()) +
                                                        " bytes is shorter than its " + std::to_string(header) +
                                                        "-byte header");
    PropertyStream s;
    s.kind = kind;
    if (kind != PropertyStreamKind::RecipientOrAttachment) {
        s.nextRecipientId = le::LoadU32(&b[8]);
        s.nextAttachmentId = le::LoadU32(&b[12]);
        s.recipientCount = le::LoadU32(&b[16]);
        s.attachmentCount = le::LoadU32(&b[20]);
    }
    const std::size_t count = (b.size() - header) / PropertyEntry::kSize;
    s.entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = &b[header + i * PropertyEntry::kSize];
        PropertyEntry e;
        e.tag = PropertyTag::FromRawValue(le::LoadU32(p));
        e.flags = le::LoadU32(p + 4);
        std::copy(p + 8, p + 16, e.value.begin());
        s.entries.push_back(e);
    }
    return s;
}

std::vector<std::uint8_t> PropertyStream::Serialize() const {
    std::vector<std::uint8_t> out;
    out.reserve(HeaderSize(kind) + entries.size() * PropertyEntry::kSize);
    le::AppendU32(out, 0);
    le::AppendU32(out, 0);
    if (kind != PropertyStreamKind::RecipientOrAttachment) {
        le::AppendU32(out, nextRecipientId);
        le::AppendU32(out, nextAttachmentId);
        le::AppendU32(out, recipientCount);
        le::AppendU32(out, attachmentCount);
    }
    if (kind == PropertyStreamKind::TopLevelMessage) {
        le::AppendU32(out, 0);
        le::AppendU32(out, 0);
    }
    for (const PropertyEntry& e : entries) {
        le::AppendU32(out, e.tag.Value());
        le::AppendU32(out, e.flags);
        out.insert(out.end(), e.value.begin(), e.value.end());
    }
    return out;
}

}  // namespace ferrowick::msg

#pragma once
// [MS-OXMSG 2.4] The property stream "__properties_version1.0" of a message, recipient,
// attachment or embedded message: a header whose size depends on the object, then one
// 16-byte entry per property.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "msg/message.hpp"

namespace ferrowick::msg {

enum class PropertyStreamKind {
    TopLevelMessage,        // 32-byte header
    EmbeddedMessage,        // 24-byte header
    RecipientOrAttachment,  // 8-byte header
};

std::size_t HeaderSize(PropertyStreamKind kind);

struct PropertyEntry {
    static constexpr std::size_t kSize = 16;
    // PROPATTR_READABLE | PROPATTR_WRITABLE, what the writer gives every property.
    static constexpr std::uint32_t kReadableWritable = 0x6;

    PropertyTag tag;
    std::uint32_t flags = kReadableWritable;
    // A fixed-size value in place, or for the rest the size of its stream in the first four bytes.
    std::array<std::uint8_t, 8> value{};
};

struct PropertyStream {
    PropertyStreamKind kind = PropertyStreamKind::RecipientOrAttachment;
    // Message headers only.
    std::uint32_t nextRecipientId = 0;
    std::uint32_t nextAttachmentId = 0;
    std::uint32_t recipientCount = 0;
    std::uint32_t attachmentCount = 0;
    std::vector<PropertyEntry> entries;

    // Throws MsgError when the stream is shorter than its header; a partial trailing entry
    // is ignored.
    static PropertyStream Parse(std::span<const std::uint8_t> bytes, PropertyStreamKind kind);
    std::vector<std::uint8_t> Serialize() const;
};

}  // namespace ferrowick::msg

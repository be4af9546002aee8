#pragma once
// [MS-OXMSG 2.1.3, 2.1.4, 2.2] Names of the storages and streams of a .msg file.
#include <cstdint>
#include <string>
#include <string_view>

#include "msg/message.hpp"

namespace ferrowick::msg::names {

inline constexpr std::u16string_view kPropertyStream = u"__properties_version1.0";
inline constexpr std::u16string_view kNamedPropertyStorage = u"__nameid_version1.0";
inline constexpr std::u16string_view kRecipientPrefix = u"__recip_version1.0_#";
inline constexpr std::u16string_view kAttachmentPrefix = u"__attach_version1.0_#";
inline constexpr std::u16string_view kValuePrefix = u"__substg1.0_";
inline constexpr std::u16string_view kGuidStream = u"__substg1.0_00020102";
inline constexpr std::u16string_view kEntryStream = u"__substg1.0_00030102";
inline constexpr std::u16string_view kStringStream = u"__substg1.0_00040102";
inline constexpr std::u16string_view kEmbeddedMessageStorage = u"__substg1.0_3701000D";

// Eight upper-case hex digits.
std::u16string Hex8(std::uint32_t value);
// "__substg1.0_0037001F": the stream of a variable-size or multi-valued property.
std::u16string ValueStream(PropertyTag tag);
// "__substg1.0_101F0001-00000002": one element of a variable-size multi-valued property.
std::u16string ElementStream(PropertyTag tag, std::uint32_t index);
std::u16string RecipientStorage(std::uint32_t index);
std::u16string AttachmentStorage(std::uint32_t index);
// The number after a prefix such as kRecipientPrefix, when the rest is eight hex digits.
bool ParseIndexedName(std::u16string_view name, std::u16string_view prefix, std::uint32_t& index);
// The tag of a "__substg1.0_XXXXYYYY" name (exactly that form); false otherwise.
bool ParseValueStreamName(std::u16string_view name, PropertyTag& tag);

}  // namespace ferrowick::msg::names

#pragma once
// [MS-OXPROPS] The properties this library and its callers refer to by name.
#include "msg/property_tag.hpp"

namespace ferrowick::msg::tags {

using T = PropertyType;
inline constexpr PropertyTag kMessageClass{0x001A, T::String};
inline constexpr PropertyTag kSubject{0x0037, T::String};
inline constexpr PropertyTag kClientSubmitTime{0x0039, T::Time};
inline constexpr PropertyTag kSentRepresentingName{0x0042, T::String};
inline constexpr PropertyTag kSentRepresentingEmailAddress{0x0065, T::String};
inline constexpr PropertyTag kSentRepresentingAddressType{0x0064, T::String};
inline constexpr PropertyTag kConversationTopic{0x0070, T::String};
inline constexpr PropertyTag kImportance{0x0017, T::Integer32};
inline constexpr PropertyTag kSenderName{0x0C1A, T::String};
inline constexpr PropertyTag kSenderEmailAddress{0x0C1F, T::String};
inline constexpr PropertyTag kSenderAddressType{0x0C1E, T::String};
inline constexpr PropertyTag kRecipientType{0x0C15, T::Integer32};
inline constexpr PropertyTag kDisplayBcc{0x0E02, T::String};
inline constexpr PropertyTag kDisplayCc{0x0E03, T::String};
inline constexpr PropertyTag kDisplayTo{0x0E04, T::String};
inline constexpr PropertyTag kMessageDeliveryTime{0x0E06, T::Time};
inline constexpr PropertyTag kMessageFlags{0x0E07, T::Integer32};
inline constexpr PropertyTag kMessageSize{0x0E08, T::Integer32};
inline constexpr PropertyTag kAttachSize{0x0E20, T::Integer32};
inline constexpr PropertyTag kBody{0x1000, T::String};
inline constexpr PropertyTag kRtfCompressed{0x1009, T::Binary};
inline constexpr PropertyTag kHtml{0x1013, T::Binary};
inline constexpr PropertyTag kInternetMessageId{0x1035, T::String};
inline constexpr PropertyTag kRowid{0x3000, T::Integer32};
inline constexpr PropertyTag kDisplayName{0x3001, T::String};
inline constexpr PropertyTag kAddressType{0x3002, T::String};
inline constexpr PropertyTag kEmailAddress{0x3003, T::String};
inline constexpr PropertyTag kCreationTime{0x3007, T::Time};
inline constexpr PropertyTag kLastModificationTime{0x3008, T::Time};
inline constexpr PropertyTag kStoreSupportMask{0x340D, T::Integer32};
inline constexpr PropertyTag kAttachDataBinary{0x3701, T::Binary};
inline constexpr PropertyTag kAttachDataObject{0x3701, T::Object};
inline constexpr PropertyTag kAttachExtension{0x3703, T::String};
inline constexpr PropertyTag kAttachFilename{0x3704, T::String};
inline constexpr PropertyTag kAttachMethod{0x3705, T::Integer32};
inline constexpr PropertyTag kAttachLongFilename{0x3707, T::String};
inline constexpr PropertyTag kRenderingPosition{0x370B, T::Integer32};
inline constexpr PropertyTag kAttachMimeTag{0x370E, T::String};
inline constexpr PropertyTag kSmtpAddress{0x39FE, T::String};
inline constexpr PropertyTag kInternetCodepage{0x3FDE, T::Integer32};
inline constexpr PropertyTag kMessageCodepage{0x3FFD, T::Integer32};

// PidTagAttachMethod values [MS-OXCMSG 2.2.2.9].
inline constexpr std::int32_t kAttachByValue = 1;
inline constexpr std::int32_t kAttachEmbeddedMessage = 5;
inline constexpr std::int32_t kAttachStorage = 6;

// PidTagRecipientType values.
inline constexpr std::int32_t kTo = 1;
inline constexpr std::int32_t kCc = 2;
inline constexpr std::int32_t kBcc = 3;

}  // namespace ferrowick::msg::tags

#pragma once
// [MS-OXPROPS] The properties this program refers to by name: one list for the .msg reader
// and writer, the .pst layers and the import between them. Grouped by the objects that carry
// them; a tag that several carry is listed once.
#include <cstdint>

#include "mapi/property_tag.hpp"

namespace ferrowick::mapi::tags {

using T = PropertyType;

// Message store [MS-PST 2.4.3.1]
inline constexpr PropertyTag kRecordKey{0x0FF9, T::Binary};
inline constexpr PropertyTag kComment{0x3004, T::String};
inline constexpr PropertyTag kReplVersionHistory{0x0E34, T::Binary};
inline constexpr PropertyTag kReplFlags{0x0E38, T::Integer32};
inline constexpr PropertyTag kStoreSupportMask{0x340D, T::Integer32};
inline constexpr PropertyTag kValidFolderMask{0x35DF, T::Integer32};
inline constexpr PropertyTag kIpmSubTreeEntryId{0x35E0, T::Binary};
inline constexpr PropertyTag kIpmOutboxEntryId{0x35E2, T::Binary};
inline constexpr PropertyTag kIpmWastebasketEntryId{0x35E3, T::Binary};
inline constexpr PropertyTag kIpmSentMailEntryId{0x35E4, T::Binary};
inline constexpr PropertyTag kFinderEntryId{0x35E7, T::Binary};
inline constexpr PropertyTag kPstLrNoRestrictions{0x6633, T::Boolean};
inline constexpr PropertyTag kPstLatestEnsure{0x66FA, T::Integer32};
inline constexpr PropertyTag kPstPassword{0x67FF, T::Integer32};

// Folders [MS-PST 2.4.4.1]
inline constexpr PropertyTag kContentCount{0x3602, T::Integer32};
inline constexpr PropertyTag kContentUnreadCount{0x3603, T::Integer32};
inline constexpr PropertyTag kSubfolders{0x360A, T::Boolean};
inline constexpr PropertyTag kContainerClass{0x3613, T::String};
inline constexpr PropertyTag kIpmAppointmentEntryId{0x36D0, T::Binary};
inline constexpr PropertyTag kIpmContactEntryId{0x36D1, T::Binary};
inline constexpr PropertyTag kIpmJournalEntryId{0x36D2, T::Binary};
inline constexpr PropertyTag kIpmNoteEntryId{0x36D3, T::Binary};
inline constexpr PropertyTag kIpmTaskEntryId{0x36D4, T::Binary};
inline constexpr PropertyTag kIpmDraftsEntryId{0x36D7, T::Binary};
inline constexpr PropertyTag kAdditionalRenEntryIds{0x36D8, T::MultipleBinary};
inline constexpr PropertyTag kReceiveMessageClass{0x001A, T::String};  // receive folder table
inline constexpr PropertyTag kReceiveFolderNid{0x6605, T::Integer32};
inline constexpr PropertyTag kSearchCriteriaState{0x660B, T::Integer32};

// Messages [MS-OXCMSG 2.2.1]
inline constexpr PropertyTag kImportance{0x0017, T::Integer32};
inline constexpr PropertyTag kMessageClass{0x001A, T::String};
inline constexpr PropertyTag kSensitivity{0x0036, T::Integer32};
inline constexpr PropertyTag kSubject{0x0037, T::String};
inline constexpr PropertyTag kClientSubmitTime{0x0039, T::Time};
inline constexpr PropertyTag kSubjectPrefix{0x003D, T::String};
inline constexpr PropertyTag kSentRepresentingName{0x0042, T::String};
inline constexpr PropertyTag kSentRepresentingAddressType{0x0064, T::String};
inline constexpr PropertyTag kSentRepresentingEmailAddress{0x0065, T::String};
inline constexpr PropertyTag kConversationTopic{0x0070, T::String};
inline constexpr PropertyTag kConversationIndex{0x0071, T::Binary};
inline constexpr PropertyTag kSenderName{0x0C1A, T::String};
inline constexpr PropertyTag kSenderAddressType{0x0C1E, T::String};
inline constexpr PropertyTag kSenderEmailAddress{0x0C1F, T::String};
inline constexpr PropertyTag kDisplayBcc{0x0E02, T::String};
inline constexpr PropertyTag kDisplayCc{0x0E03, T::String};
inline constexpr PropertyTag kDisplayTo{0x0E04, T::String};
inline constexpr PropertyTag kMessageDeliveryTime{0x0E06, T::Time};
inline constexpr PropertyTag kMessageFlags{0x0E07, T::Integer32};
inline constexpr PropertyTag kMessageSize{0x0E08, T::Integer32};
inline constexpr PropertyTag kMessageStatus{0x0E17, T::Integer32};
inline constexpr PropertyTag kHasAttachments{0x0E1B, T::Boolean};
inline constexpr PropertyTag kNormalizedSubject{0x0E1D, T::String};
inline constexpr PropertyTag kRtfInSync{0x0E1F, T::Boolean};
inline constexpr PropertyTag kBody{0x1000, T::String};
inline constexpr PropertyTag kRtfCompressed{0x1009, T::Binary};
inline constexpr PropertyTag kHtml{0x1013, T::Binary};
inline constexpr PropertyTag kInternetMessageId{0x1035, T::String};
inline constexpr PropertyTag kCreationTime{0x3007, T::Time};
inline constexpr PropertyTag kLastModificationTime{0x3008, T::Time};
inline constexpr PropertyTag kSearchKey{0x300B, T::Binary};
inline constexpr PropertyTag kInternetCodepage{0x3FDE, T::Integer32};
inline constexpr PropertyTag kMessageCodepage{0x3FFD, T::Integer32};

// Recipients [MS-OXCMSG 2.2.3]
inline constexpr PropertyTag kRecipientType{0x0C15, T::Integer32};
inline constexpr PropertyTag kResponsibility{0x0E0F, T::Boolean};
inline constexpr PropertyTag kObjectType{0x0FFE, T::Integer32};
inline constexpr PropertyTag kEntryId{0x0FFF, T::Binary};
inline constexpr PropertyTag kRowid{0x3000, T::Integer32};
inline constexpr PropertyTag kDisplayName{0x3001, T::String};
inline constexpr PropertyTag kAddressType{0x3002, T::String};
inline constexpr PropertyTag kEmailAddress{0x3003, T::String};
inline constexpr PropertyTag kDisplayType{0x3900, T::Integer32};
inline constexpr PropertyTag kSmtpAddress{0x39FE, T::String};
inline constexpr PropertyTag kSendRichInfo{0x3A40, T::Boolean};

// Attachments [MS-OXCMSG 2.2.2]
inline constexpr PropertyTag kAttachSize{0x0E20, T::Integer32};
inline constexpr PropertyTag kAttachDataBinary{0x3701, T::Binary};
inline constexpr PropertyTag kAttachDataObject{0x3701, T::Object};
inline constexpr PropertyTag kAttachExtension{0x3703, T::String};
inline constexpr PropertyTag kAttachFilename{0x3704, T::String};
inline constexpr PropertyTag kAttachMethod{0x3705, T::Integer32};
inline constexpr PropertyTag kAttachLongFilename{0x3707, T::String};
inline constexpr PropertyTag kRenderingPosition{0x370B, T::Integer32};
inline constexpr PropertyTag kAttachMimeTag{0x370E, T::String};

// PidTagAttachMethod values [MS-OXCMSG 2.2.2.9].
inline constexpr std::int32_t kAttachByValue = 1;
inline constexpr std::int32_t kAttachEmbeddedMessage = 5;
inline constexpr std::int32_t kAttachStorage = 6;

// PidTagRecipientType values [MS-OXCMSG 2.2.3.1].
inline constexpr std::int32_t kTo = 1;
inline constexpr std::int32_t kCc = 2;
inline constexpr std::int32_t kBcc = 3;

}  // namespace ferrowick::mapi::tags

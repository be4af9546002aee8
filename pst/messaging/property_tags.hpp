#pragma once
// The property tags the messaging layer reads and writes [MS-OXPROPS], and the special
// node IDs of a store [MS-PST 2.4.1]. Only what this layer uses is named here.
#include "pst/ltp/property_types.hpp"
#include "pst/ndb/ids.hpp"

namespace ferrowick::pst::tags {

using T = PropertyType;
// Message store [MS-PST 2.4.3.1]
inline constexpr PropertyTag kRecordKey{0x0FF9, T::Binary};
inline constexpr PropertyTag kDisplayName{0x3001, T::String};
inline constexpr PropertyTag kComment{0x3004, T::String};
inline constexpr PropertyTag kReplVersionHistory{0x0E34, T::Binary};
inline constexpr PropertyTag kReplFlags{0x0E38, T::Integer32};
inline constexpr PropertyTag kIpmSubTreeEntryId{0x35E0, T::Binary};
inline constexpr PropertyTag kIpmOutboxEntryId{0x35E2, T::Binary};
inline constexpr PropertyTag kIpmWastebasketEntryId{0x35E3, T::Binary};
inline constexpr PropertyTag kIpmSentMailEntryId{0x35E4, T::Binary};
inline constexpr PropertyTag kFinderEntryId{0x35E7, T::Binary};
inline constexpr PropertyTag kValidFolderMask{0x35DF, T::Integer32};
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

// Messages [MS-PST 2.4.5.1, MS-OXCMSG]
inline constexpr PropertyTag kImportance{0x0017, T::Integer32};
inline constexpr PropertyTag kMessageClass{0x001A, T::String};
inline constexpr PropertyTag kSensitivity{0x0036, T::Integer32};
inline constexpr PropertyTag kSubject{0x0037, T::String};
inline constexpr PropertyTag kClientSubmitTime{0x0039, T::Time};
inline constexpr PropertyTag kSentRepresentingName{0x0042, T::String};
inline constexpr PropertyTag kConversationTopic{0x0070, T::String};
inline constexpr PropertyTag kDisplayTo{0x0E04, T::String};
inline constexpr PropertyTag kDisplayCc{0x0E03, T::String};
inline constexpr PropertyTag kMessageDeliveryTime{0x0E06, T::Time};
inline constexpr PropertyTag kMessageFlags{0x0E07, T::Integer32};
inline constexpr PropertyTag kMessageSize{0x0E08, T::Integer32};
inline constexpr PropertyTag kMessageStatus{0x0E17, T::Integer32};
inline constexpr PropertyTag kHasAttachments{0x0E1B, T::Boolean};
inline constexpr PropertyTag kBody{0x1000, T::String};
inline constexpr PropertyTag kCreationTime{0x3007, T::Time};
inline constexpr PropertyTag kLastModificationTime{0x3008, T::Time};
inline constexpr PropertyTag kSearchKey{0x300B, T::Binary};
inline constexpr PropertyTag kSenderName{0x0C1A, T::String};

// Recipients [MS-PST 2.4.5.3]
inline constexpr PropertyTag kRecipientType{0x0C15, T::Integer32};
inline constexpr PropertyTag kResponsibility{0x0E0F, T::Boolean};
inline constexpr PropertyTag kObjectType{0x0FFE, T::Integer32};
inline constexpr PropertyTag kEntryId{0x0FFF, T::Binary};
inline constexpr PropertyTag kAddressType{0x3002, T::String};
inline constexpr PropertyTag kEmailAddress{0x3003, T::String};
inline constexpr PropertyTag kDisplayType{0x3900, T::Integer32};
inline constexpr PropertyTag kSendRichInfo{0x3A40, T::Boolean};

// Attachments [MS-PST 2.4.6]
inline constexpr PropertyTag kAttachSize{0x0E20, T::Integer32};
inline constexpr PropertyTag kAttachDataBinary{0x3701, T::Binary};
inline constexpr PropertyTag kAttachDataObject{0x3701, T::Object};
inline constexpr PropertyTag kAttachFilename{0x3704, T::String};
inline constexpr PropertyTag kAttachMethod{0x3705, T::Integer32};
inline constexpr PropertyTag kAttachLongFilename{0x3707, T::String};
inline constexpr PropertyTag kRenderingPosition{0x370B, T::Integer32};

}  // namespace ferrowick::pst::tags

namespace ferrowick::pst::nids {

inline constexpr NodeId kMessageStore{0x21};
inline constexpr NodeId kNameToIdMap{0x61};
inline constexpr NodeId kRootFolder{0x122};
inline constexpr NodeId kSearchManagementQueue{0x1E1};
inline constexpr NodeId kSearchActivityList{0x201};
inline constexpr NodeId kSearchDomainObject{0x261};
inline constexpr NodeId kHierarchyTableTemplate{0x60D};
inline constexpr NodeId kContentsTableTemplate{0x60E};
inline constexpr NodeId kAssocContentsTableTemplate{0x60F};
inline constexpr NodeId kSearchContentsTableTemplate{0x610};
inline constexpr NodeId kReceiveFolderTable{0x62B};
inline constexpr NodeId kOutgoingQueueTable{0x64C};
inline constexpr NodeId kAttachmentTableTemplate{0x671};
inline constexpr NodeId kRecipientTableTemplate{0x692};
inline constexpr NodeId kSearchTableIndexTemplate{0x6B6};
inline constexpr NodeId kContentsSmpTemplate{0x6D7};
inline constexpr NodeId kTombstoneTemplate{0x6F8};
inline constexpr NodeId kLtpReservedC01{0xC01};
inline constexpr NodeId kSpamSearchFolder{0x2223};
inline constexpr NodeId kSpamSearchUpdateQueue{0x2226};
inline constexpr NodeId kSpamSearchCriteria{0x2227};
inline constexpr NodeId kSpamSearchContentsTable{0x2230};

// A folder's tables share its NID index with their own type [MS-PST 2.4.4].
constexpr NodeId Sibling(NodeId nid, NidType type) { return NodeId::Make(type, nid.Index()); }

}  // namespace ferrowick::pst::nids

#pragma once
// The special node IDs of a store [MS-PST 2.4.1], and the property tags the messaging layer
// reads and writes [MS-OXPROPS] under the name this layer knows them by.
#include "mapi/known_properties.hpp"
#include "pst/ltp/property_types.hpp"
#include "pst/ndb/ids.hpp"

namespace ferrowick::pst {

// The properties are named once, in the property model.
namespace tags = mapi::tags;

}  // namespace ferrowick::pst

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

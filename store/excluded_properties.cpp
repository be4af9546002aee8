// Property IDs from [MS-OXPROPS]; which of them a store owns from [MS-PST 2.4.5.1, 2.4.6.2]
// and [MS-OXCMSG 2.2.1].
#include "store/excluded_properties.hpp"

#include <algorithm>
#include <array>

namespace ferrowick {
namespace {

// Owned by the store for every kind of object.
constexpr std::array<std::uint16_t, 11> kStoreOwned{
    0x0E09,  // PidTagParentEntryId
    0x0FF4,  // PidTagAccess
    0x0FF6,  // PidTagInstanceKey
    0x0FF7,  // PidTagAccessLevel
    0x0FF8,  // PidTagMappingSignature
    0x0FFA,  // PidTagStoreRecordKey
    0x0FFB,  // PidTagStoreEntryId
    0x340D,  // PidTagStoreSupportMask
    0x67F2,  // PidTagLtpRowId: table bookkeeping
    0x67F3,  // PidTagLtpRowVer
    0x0E21,  // PidTagAttachNumber: the attachment's place in this store
};

// Owned by the store for messages and attachments (a recipient's entry ID is its address).
constexpr std::array<std::uint16_t, 5> kStoreOwnedForObjects{
    0x0FFF,  // PidTagEntryId
    0x0E08,  // PidTagMessageSize / PidTagMessageSizeExtended: recomputed
    0x0E20,  // PidTagAttachSize: recomputed
    0x0E1B,  // PidTagHasAttachments: follows the attachments
    0x0E0A,  // PidTagSentMailEntryId: a folder of the source store
};

template <std::size_t N>
bool Contains(const std::array<std::uint16_t, N>& ids, std::uint16_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

bool IsExcludedFromImport(std::uint16_t propertyId, ImportedObject object) {
    if (Contains(kStoreOwned, propertyId)) return true;
    if (object == ImportedObject::Recipient) return propertyId == 0x3000;  // PidTagRowid: given in order
    if (Contains(kStoreOwnedForObjects, propertyId)) return true;
    // A message's search key and a recipient's record key travel with them, as Outlook keeps
    // them; the store makes a message's search key only when the source has none.
    if (object == ImportedObject::Attachment) return propertyId == 0x300B || propertyId == 0x0FF9;
    return propertyId == 0x0FF9;  // PidTagRecordKey of a message: made by the store
}

}  // namespace ferrowick

#pragma once
// The properties a .msg file may carry that an imported message does not take over: the
// store computes or owns them (identifiers, keys, sizes, table bookkeeping), so a copied
// value would be stale or would contradict the store's own. The one list for the import.
#include <cstdint>

namespace ferrowick {

enum class ImportedObject { Message, Recipient, Attachment };

// Whether a property with this ID stays behind when an object of this kind is imported.
bool IsExcludedFromImport(std::uint16_t propertyId, ImportedObject object);

}  // namespace ferrowick

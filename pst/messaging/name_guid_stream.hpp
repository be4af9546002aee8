#pragma once
// The GUID stream of the name-to-ID map [MS-PST 2.4.7.2]: the property sets of its names, 16
// bytes each, but for PS_MAPI and PS_PUBLIC_STRINGS, which a NAMEID names by fixed wGuid values.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "bytes/little_endian.hpp"
#include "mapi/guid.hpp"

namespace ferrowick::pst {

struct NameGuidStream {
    static constexpr std::size_t kGuidSize = 16;

    std::vector<mapi::Guid> guids;  // the first has the wGuid NameId::kFirstStreamGuid

    // Throws PstError (corrupt structure) for a stream that is not a whole number of GUIDs.
    static NameGuidStream Read(le::ByteView stream);
    le::Bytes Write() const;

    // The property set a NAMEID's wGuid names. Throws PstError (corrupt structure) for a wGuid
    // that names none.
    mapi::Guid GuidAt(std::uint16_t guidIndex) const;
    // The wGuid that names `guid`, or nullopt when the stream does not hold it.
    std::optional<std::uint16_t> IndexOf(const mapi::Guid& guid) const;
    bool operator==(const NameGuidStream&) const = default;
};

}  // namespace ferrowick::pst

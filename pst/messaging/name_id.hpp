#pragma once
// NAMEID [MS-PST 2.4.7.1]: one record of the name-to-ID map's entry stream and hash buckets.
#include <cstddef>
#include <cstdint>

#include "bytes/little_endian.hpp"

namespace ferrowick::pst {

struct NameId {
    static constexpr std::size_t kSize = 8;
    static constexpr std::uint16_t kPsMapiIndex = 1;           // wGuid of PS_MAPI
    static constexpr std::uint16_t kPsPublicStringsIndex = 2;  // wGuid of PS_PUBLIC_STRINGS
    static constexpr std::uint16_t kFirstStreamGuid = 3;       // wGuid of the GUID stream's first GUID
    static constexpr std::uint16_t kMaxGuidIndex = 0x7FFF;     // wGuid has 15 bits beside N

    // dwPropertyID: the number of a numeric name; of a string name, its offset in the string
    // stream (in the entry stream) or its CRC (in a hash bucket).
    std::uint32_t property_id = 0;
    bool is_string = false;            // N
    std::uint16_t guid_index = 0;      // wGuid
    std::uint16_t property_index = 0;  // wPropIdx: the property's ID less 0x8000

    static NameId Read(le::ByteView bytes);  // the first kSize bytes
    void AppendTo(le::Bytes& out) const;
    // N and wGuid as the record stores them in one 16-bit field.
    std::uint16_t GuidAndKind() const { return static_cast<std::uint16_t>((guid_index << 1) | (is_string ? 1 : 0)); }
    bool operator==(const NameId&) const = default;
};

inline NameId NameId::Read(le::ByteView bytes) {
    const std::uint16_t field = le::LoadU16(bytes.data() + 4);
    return NameId{le::LoadU32(bytes.data()), (field & 1) != 0, static_cast<std::uint16_t>(field >> 1),
                  le::LoadU16(bytes.data() + 6)};
}

inline void NameId::AppendTo(le::Bytes& out) const {
    le::AppendU32(out, property_id);
    le::AppendU16(out, GuidAndKind());
    le::AppendU16(out, property_index);
}

}  // namespace ferrowick::pst

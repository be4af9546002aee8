#pragma once
// [MS-OXMSG 2.2.3] The named property mapping storage "__nameid_version1.0": the GUID
// stream, the entry stream and the string stream that together say which name each
// property id from 0x8000 on stands for.
#include <cstdint>
#include <span>
#include <vector>

#include "msg/named_property.hpp"

namespace ferrowick::msg {

struct NamedPropertyStreams {
    std::vector<std::uint8_t> guids;    // "__substg1.0_00020102"
    std::vector<std::uint8_t> entries;  // "__substg1.0_00030102"
    std::vector<std::uint8_t> strings;  // "__substg1.0_00040102"

    // Entries whose GUID index or string offset lead nowhere are left out rather than
    // failing the whole message.
    NamedPropertyMap Decode() const;
    static NamedPropertyStreams Encode(const NamedPropertyMap& map);
};

}  // namespace ferrowick::msg

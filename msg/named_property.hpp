#pragma once
// [MS-OXCDATA 2.6.1] A named property's name: its property set GUID and either a number or a
// string. Property ids from 0x8000 on stand for such names, per file.
#include <compare>
#include <cstdint>
#include <map>
#include <string>
#include <variant>

#include "mapi/guid.hpp"
#include "mapi/property_tag.hpp"

namespace ferrowick::msg {

using mapi::Guid;
using mapi::PropertyTag;

struct NamedProperty {
    Guid propertySet;
    std::variant<std::uint32_t, std::u16string> name;  // numeric id (LID) or string name

    bool IsNumeric() const { return name.index() == 0; }
    auto operator<=>(const NamedProperty&) const = default;
};

// Property ID (from PropertyTag::kFirstNamedId on) to the name it stands for.
using NamedPropertyMap = std::map<std::uint16_t, NamedProperty>;

}  // namespace ferrowick::msg

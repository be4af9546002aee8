#pragma once
// [MS-OXCDATA 2.6.1] A named property's name: its property set GUID and either a number or a
// string. Property ids from 0x8000 on stand for such names, per file.
#include <compare>
#include <cstdint>
#include <map>
#include <string>
#include <variant>

#include "msg/guid.hpp"
#include "msg/property_tag.hpp"

namespace ferrowick::msg {

struct NamedProperty {
    Guid propertySet;
    std::variant<std::uint32_t, std::u16string> name;  // numeric id (LID) or string name

    bool IsNumeric() const { return name.index() == 0; }
    auto operator<=>(const NamedProperty&) const = default;
};

// Property id (>= 0x8000) to the name it stands for.
using NamedPropertyMap = std::map<PropertyId, NamedProperty>;

}  // namespace ferrowick::msg

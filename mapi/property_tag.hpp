#pragma once
// [MS-OXCDATA 2.9] A property tag: a 16-bit property ID above a 16-bit property type. Sets of
// properties are ordered by the tag's 32-bit value.
#include <cstdint>
#include <optional>
#include <string>

#include "mapi/property_type.hpp"

namespace ferrowick::mapi {

struct PropertyTag {
    static constexpr std::uint16_t kFirstNamedId = 0x8000;  // IDs from here on stand for named properties

    std::uint16_t id = 0;
    PropertyType type = PropertyType::Integer32;

    constexpr PropertyTag() = default;
    constexpr PropertyTag(std::uint16_t tagId, PropertyType tagType) : id(tagId), type(tagType) {}

    constexpr std::uint32_t Value() const { return (std::uint32_t{id} << 16) | static_cast<std::uint16_t>(type); }
    constexpr bool IsNamed() const { return id >= kFirstNamedId; }
    // nullopt when the type is not one this model knows.
    static std::optional<PropertyTag> FromValue(std::uint32_t value);
    // The tag as stored, whatever its type: for formats that pass unknown types over.
    static constexpr PropertyTag FromRawValue(std::uint32_t value) {
        return PropertyTag{static_cast<std::uint16_t>(value >> 16), static_cast<PropertyType>(value & 0xFFFF)};
    }
    constexpr auto operator<=>(const PropertyTag& o) const { return Value() <=> o.Value(); }
    constexpr bool operator==(const PropertyTag& o) const { return Value() == o.Value(); }
};

// "0x0037001F": for messages and test output.
std::string ToString(PropertyTag tag);

}  // namespace ferrowick::mapi

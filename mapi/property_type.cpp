// [MS-OXCDATA 2.11.1] Property data types.
#include "mapi/property_type.hpp"

#include <array>
#include <iterator>

#include "mapi/property_type_table.hpp"

namespace ferrowick::mapi {

bool IsKnownPropertyType(std::uint16_t raw) { return FindTypeInfo(raw) != nullptr; }

std::optional<PropertyType> PropertyTypeFrom(std::uint16_t raw) {
    if (!FindTypeInfo(raw)) return std::nullopt;
    return static_cast<PropertyType>(raw);
}

const char* PropertyTypeName(PropertyType type) {
    const TypeInfo* info = FindTypeInfo(static_cast<std::uint16_t>(type));
    return info ? info->name : "unknown property type";
}

std::size_t FixedSizeOf(PropertyType type) {
    const TypeInfo* info = FindTypeInfo(static_cast<std::uint16_t>(type));
    return info ? info->fixedSize : 0;
}

}  // namespace ferrowick::mapi

#include "msg/property_value.hpp"

#include <cstdio>

namespace ferrowick::msg {

PropertyType TypeOf(const PropertyValue& value) {
    constexpr PropertyType kTypes[] = {
        PropertyType::Integer16,         PropertyType::Integer32,         PropertyType::Floating32,
        PropertyType::Floating64,        PropertyType::Currency,          PropertyType::FloatingTime,
        PropertyType::ErrorCode,         PropertyType::Boolean,           PropertyType::Integer64,
        PropertyType::String8,           PropertyType::String,            PropertyType::Time,
        PropertyType::Guid,              PropertyType::Binary,            PropertyType::MultipleInteger16,
        PropertyType::MultipleInteger32, PropertyType::MultipleFloating32, PropertyType::MultipleFloating64,
        PropertyType::MultipleCurrency,  PropertyType::MultipleFloatingTime, PropertyType::MultipleInteger64,
        PropertyType::MultipleString8,   PropertyType::MultipleString,    PropertyType::MultipleTime,
        PropertyType::MultipleGuid,      PropertyType::MultipleBinary,
    };
    static_assert(std::size(kTypes) == std::variant_size_v<PropertyValue>);
    return kTypes[value.index()];
}

std::string ToString(PropertyTag tag) {
    char out[16];
    std::snprintf(out, sizeof out, "0x%08X", static_cast<unsigned>(tag.ToU32()));
    return out;
}

}  // namespace ferrowick::msg

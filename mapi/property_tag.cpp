// [MS-OXCDATA 2.9] Property tags.
#include "mapi/property_tag.hpp"

#include <cstdio>

namespace ferrowick::mapi {

std::optional<PropertyTag> PropertyTag::FromValue(std::uint32_t value) {
    const std::optional<PropertyType> type = PropertyTypeFrom(static_cast<std::uint16_t>(value));
    if (!type) return std::nullopt;
    return PropertyTag{static_cast<std::uint16_t>(value >> 16), *type};
}

std::string ToString(PropertyTag tag) {
    char out[16];
    std::snprintf(out, sizeof out, "0x%08X", static_cast<unsigned>(tag.Value()));
    return out;
}

}  // namespace ferrowick::mapi

#pragma once
// [MS-OXCDATA 2.11.1] The little-endian bytes of fixed-size values, the same in every format:
// one value of a fixed-size type, or the elements of a fixed-size multi-valued type one after
// another.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "mapi/property_value.hpp"

namespace ferrowick::mapi {

// A value of a fixed-size type from exactly FixedSizeOf(type) bytes, or the elements of a
// fixed-size multi-valued type from a whole number of elements. nullopt for other types and
// for other sizes: the caller says what is wrong in its own format's words.
std::optional<PropertyValue> DecodeFixedSize(PropertyType type, std::span<const std::uint8_t> bytes);
// Appends the bytes DecodeFixedSize reads; false (and nothing appended) for the other types.
bool AppendFixedSize(const PropertyValue& value, std::vector<std::uint8_t>& out);

}  // namespace ferrowick::mapi

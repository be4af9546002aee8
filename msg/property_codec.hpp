#pragma once
// [MS-OXMSG 2.1.2, 2.1.4.1] Bytes of property values: fixed-size values in a property
// entry's 8-byte field, and fixed-size multi-valued properties as one stream of elements.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "msg/message.hpp"

namespace ferrowick::msg {

// The types whose value sits in the property entry itself.
bool IsFixedSize(PropertyType type);
using mapi::IsMultiValued;

// nullopt for a type that is not fixed-size.
std::optional<PropertyValue> DecodeFixed(PropertyType type, const std::array<std::uint8_t, 8>& field);
std::array<std::uint8_t, 8> EncodeFixed(const PropertyValue& value);  // for fixed-size values

// A partial trailing element is ignored; nullopt for a type without fixed-size elements.
std::optional<PropertyValue> DecodeMultiFixed(PropertyType type, std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> EncodeMultiFixed(const PropertyValue& value);

// UTF-16LE bytes to text, without the terminating NUL(s).
std::u16string DecodeUtf16(std::span<const std::uint8_t> bytes);
// Text to UTF-16LE bytes with a terminating NUL.
std::vector<std::uint8_t> EncodeUtf16(const std::u16string& text);

}  // namespace ferrowick::msg

// [MS-OXMSG 2.1.2 Fixed Length Properties, 2.1.4.1 Fixed Length Multiple-Valued Properties]
#include "msg/property_codec.hpp"

#include <algorithm>

#include "bytes/little_endian.hpp"
#include "mapi/fixed_size_values.hpp"

namespace ferrowick::msg {

bool IsFixedSize(PropertyType type) {
    const std::size_t size = mapi::FixedSizeOf(type);
    return !IsMultiValued(type) && size != 0 && size <= 8;
}

std::optional<PropertyValue> DecodeFixed(PropertyType type, const std::array<std::uint8_t, 8>& field) {
    if (!IsFixedSize(type)) return std::nullopt;
    return mapi::DecodeFixedSize(type, std::span(field).first(mapi::FixedSizeOf(type)));
}

std::array<std::uint8_t, 8> EncodeFixed(const PropertyValue& value) {
    std::array<std::uint8_t, 8> field{};
    if (!IsFixedSize(value.Type())) return field;
    std::vector<std::uint8_t> bytes;
    mapi::AppendFixedSize(value, bytes);
    std::copy_n(bytes.begin(), std::min(bytes.size(), field.size()), field.begin());
    return field;
}

std::optional<PropertyValue> DecodeMultiFixed(PropertyType type, std::span<const std::uint8_t> bytes) {
    const std::size_t size = mapi::FixedSizeOf(type);
    if (!IsMultiValued(type) || size == 0) return std::nullopt;
    return mapi::DecodeFixedSize(type, bytes.first(bytes.size() - bytes.size() % size));
}

std::vector<std::uint8_t> EncodeMultiFixed(const PropertyValue& value) {
    std::vector<std::uint8_t> out;
    if (IsMultiValued(value.Type())) mapi::AppendFixedSize(value, out);
    return out;
}

std::u16string DecodeUtf16(std::span<const std::uint8_t> bytes) {
    // Trailing NULs are dropped before the text is made, so that it is sized once.
    std::size_t units = bytes.size() / 2;
    while (units > 0 && le::LoadU16(&bytes[2 * (units - 1)]) == 0) --units;
    std::u16string text(units, u'\0');
    for (std::size_t i = 0; i < units; ++i) text[i] = static_cast<char16_t>(le::LoadU16(&bytes[2 * i]));
    return text;
}

std::vector<std::uint8_t> EncodeUtf16(const std::u16string& text) {
    std::vector<std::uint8_t> out(text.size() * 2 + 2, 0);
    for (std::size_t i = 0; i < text.size(); ++i) le::StoreU16(&out[2 * i], text[i]);
    return out;
}

}  // namespace ferrowick::msg

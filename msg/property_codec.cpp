// [MS-OXMSG 2.1.2 Fixed Length Properties, 2.1.4.1 Fixed Length Multiple-Valued Properties]
#include "msg/property_codec.hpp"

#include <bit>
#include <cstring>

#include "bytes/little_endian.hpp"

namespace ferrowick::msg {
namespace {

// One element of a fixed-size type from `p`, which holds at least its size.
PropertyValue DecodeElement(PropertyType type, const std::uint8_t* p) {
    switch (type) {
        case PropertyType::Integer16: return static_cast<std::int16_t>(le::LoadU16(p));
        case PropertyType::Integer32: return static_cast<std::int32_t>(le::LoadU32(p));
        case PropertyType::Floating32: return std::bit_cast<float>(le::LoadU32(p));
        case PropertyType::Floating64: return std::bit_cast<double>(le::LoadU64(p));
        case PropertyType::Currency: return Currency{static_cast<std::int64_t>(le::LoadU64(p))};
        case PropertyType::FloatingTime: return FloatingTime{std::bit_cast<double>(le::LoadU64(p))};
        case PropertyType::ErrorCode: return ErrorCode{le::LoadU32(p)};
        case PropertyType::Boolean: return p[0] != 0;
        case PropertyType::Integer64: return static_cast<std::int64_t>(le::LoadU64(p));
        case PropertyType::Time: return FileTime{le::LoadU64(p)};
        case PropertyType::Guid: {
            Guid g;
            std::memcpy(g.bytes.data(), p, 16);
            return g;
        }
        default: return std::int32_t{0};
    }
}

template <typename T>
PropertyValue Collect(PropertyType single, std::span<const std::uint8_t> bytes, std::size_t size) {
    std::vector<T> out;
    out.reserve(bytes.size() / size);
    for (std::size_t at = 0; at + size <= bytes.size(); at += size) out.push_back(std::get<T>(DecodeElement(single, &bytes[at])));
    return out;
}

void EncodeElement(const PropertyValue& v, std::uint8_t* p) {
    std::visit(
        [p](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::int16_t>) le::StoreU16(p, static_cast<std::uint16_t>(x));
            else if constexpr (std::is_same_v<T, std::int32_t>) le::StoreU32(p, static_cast<std::uint32_t>(x));
            else if constexpr (std::is_same_v<T, float>) le::StoreU32(p, std::bit_cast<std::uint32_t>(x));
            else if constexpr (std::is_same_v<T, double>) le::StoreU64(p, std::bit_cast<std::uint64_t>(x));
            else if constexpr (std::is_same_v<T, Currency>) le::StoreU64(p, static_cast<std::uint64_t>(x.value));
            else if constexpr (std::is_same_v<T, FloatingTime>) le::StoreU64(p, std::bit_cast<std::uint64_t>(x.value));
            else if constexpr (std::is_same_v<T, ErrorCode>) le::StoreU32(p, x.value);
            else if constexpr (std::is_same_v<T, bool>) p[0] = x ? 1 : 0;
            else if constexpr (std::is_same_v<T, std::int64_t>) le::StoreU64(p, static_cast<std::uint64_t>(x));
            else if constexpr (std::is_same_v<T, FileTime>) le::StoreU64(p, x.value);
            else if constexpr (std::is_same_v<T, Guid>) std::memcpy(p, x.bytes.data(), 16);
        },
        v);
}

template <typename T>
void AppendElements(const PropertyValue& v, std::size_t size, std::vector<std::uint8_t>& out) {
    for (const T& x : std::get<std::vector<T>>(v)) {
        const std::size_t at = out.size();
        out.resize(at + size, 0);
        EncodeElement(PropertyValue(x), &out[at]);
    }
}

}  // namespace

bool IsFixedSize(PropertyType type) {
    switch (type) {
        case PropertyType::Integer16: case PropertyType::Integer32: case PropertyType::Floating32:
        case PropertyType::Floating64: case PropertyType::Currency: case PropertyType::FloatingTime:
        case PropertyType::ErrorCode: case PropertyType::Boolean: case PropertyType::Integer64:
        case PropertyType::Time:
            return true;
        default: return false;
    }
}

bool IsMultiValued(PropertyType type) { return (static_cast<std::uint16_t>(type) & kMultipleFlag) != 0; }

std::size_t ElementSize(PropertyType type) {
    switch (type) {
        case PropertyType::MultipleInteger16: return 2;
        case PropertyType::MultipleInteger32: case PropertyType::MultipleFloating32: return 4;
        case PropertyType::MultipleFloating64: case PropertyType::MultipleCurrency:
        case PropertyType::MultipleFloatingTime: case PropertyType::MultipleInteger64:
        case PropertyType::MultipleTime:
            return 8;
        case PropertyType::MultipleGuid: return 16;
        default: return 0;
    }
}

std::optional<PropertyValue> DecodeFixed(PropertyType type, const std::array<std::uint8_t, 8>& field) {
    if (!IsFixedSize(type)) return std::nullopt;
    return DecodeElement(type, field.data());
}

std::array<std::uint8_t, 8> EncodeFixed(const PropertyValue& value) {
    std::array<std::uint8_t, 8> field{};
    if (IsFixedSize(TypeOf(value))) EncodeElement(value, field.data());
    return field;
}

std::optional<PropertyValue> DecodeMultiFixed(PropertyType type, std::span<const std::uint8_t> bytes) {
    const std::size_t size = ElementSize(type);
    const auto single = static_cast<PropertyType>(static_cast<std::uint16_t>(type) & ~kMultipleFlag);
    switch (type) {
        case PropertyType::MultipleInteger16: return Collect<std::int16_t>(single, bytes, size);
        case PropertyType::MultipleInteger32: return Collect<std::int32_t>(single, bytes, size);
        case PropertyType::MultipleFloating32: return Collect<float>(single, bytes, size);
        case PropertyType::MultipleFloating64: return Collect<double>(single, bytes, size);
        case PropertyType::MultipleCurrency: return Collect<Currency>(single, bytes, size);
        case PropertyType::MultipleFloatingTime: return Collect<FloatingTime>(single, bytes, size);
        case PropertyType::MultipleInteger64: return Collect<std::int64_t>(single, bytes, size);
        case PropertyType::MultipleTime: return Collect<FileTime>(single, bytes, size);
        case PropertyType::MultipleGuid: return Collect<Guid>(single, bytes, size);
        default: return std::nullopt;
    }
}

std::vector<std::uint8_t> EncodeMultiFixed(const PropertyValue& value) {
    std::vector<std::uint8_t> out;
    const std::size_t size = ElementSize(TypeOf(value));
    switch (TypeOf(value)) {
        case PropertyType::MultipleInteger16: AppendElements<std::int16_t>(value, size, out); break;
        case PropertyType::MultipleInteger32: AppendElements<std::int32_t>(value, size, out); break;
        case PropertyType::MultipleFloating32: AppendElements<float>(value, size, out); break;
        case PropertyType::MultipleFloating64: AppendElements<double>(value, size, out); break;
        case PropertyType::MultipleCurrency: AppendElements<Currency>(value, size, out); break;
        case PropertyType::MultipleFloatingTime: AppendElements<FloatingTime>(value, size, out); break;
        case PropertyType::MultipleInteger64: AppendElements<std::int64_t>(value, size, out); break;
        case PropertyType::MultipleTime: AppendElements<FileTime>(value, size, out); break;
        case PropertyType::MultipleGuid: AppendElements<Guid>(value, size, out); break;
        default: break;
    }
    return out;
}

std::u16string DecodeUtf16(std::span<const std::uint8_t> bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) text.push_back(static_cast<char16_t>(le::LoadU16(&bytes[i])));
    while (!text.empty() && text.back() == 0) text.pop_back();
    return text;
}

std::vector<std::uint8_t> EncodeUtf16(const std::u16string& text) {
    std::vector<std::uint8_t> out(text.size() * 2 + 2, 0);
    for (std::size_t i = 0; i < text.size(); ++i) le::StoreU16(&out[2 * i], text[i]);
    return out;
}

}  // namespace ferrowick::msg

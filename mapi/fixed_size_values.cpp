// [MS-OXCDATA 2.11.1] Fixed-size values and fixed-size multi-valued elements.
#include "mapi/fixed_size_values.hpp"

#include <bit>
#include <cstring>

#include "bytes/little_endian.hpp"

namespace ferrowick::mapi {
namespace {

// A value's bits through the little-endian helper of its width, so that the host's own byte
// order does not matter; floating-point values keep their IEEE 754 bits.
template <typename T>
T Load(const std::uint8_t* p) {
    if constexpr (sizeof(T) == 2) {
        return std::bit_cast<T>(le::LoadU16(p));
    } else if constexpr (sizeof(T) == 4) {
        return std::bit_cast<T>(le::LoadU32(p));
    } else {
        static_assert(sizeof(T) == 8);
        return std::bit_cast<T>(le::LoadU64(p));
    }
}

template <typename T>
std::vector<T> LoadArray(std::span<const std::uint8_t> b) {
    std::vector<T> out(b.size() / sizeof(T));
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = Load<T>(b.data() + i * sizeof(T));
    return out;
}

template <typename T>
void Append(std::vector<std::uint8_t>& out, T v) {
    if constexpr (sizeof(T) == 2) {
        le::AppendU16(out, std::bit_cast<std::uint16_t>(v));
    } else if constexpr (sizeof(T) == 4) {
        le::AppendU32(out, std::bit_cast<std::uint32_t>(v));
    } else {
        static_assert(sizeof(T) == 8);
        le::AppendU64(out, std::bit_cast<std::uint64_t>(v));
    }
}

}  // namespace

std::optional<PropertyValue> DecodeFixedSize(PropertyType type, std::span<const std::uint8_t> b) {
    const std::size_t size = FixedSizeOf(type);
    if (size == 0) return std::nullopt;
    if (IsMultiValued(type) ? b.size() % size != 0 : b.size() != size) return std::nullopt;
    const std::uint8_t* p = b.data();
    switch (type) {
        case PropertyType::Integer16:
            return PropertyValue::Of(type, Load<std::int16_t>(p));
        case PropertyType::Integer32:
            return PropertyValue::Of(type, Load<std::int32_t>(p));
        case PropertyType::Floating32:
            return PropertyValue::Of(type, Load<float>(p));
        case PropertyType::Floating64:
        case PropertyType::FloatingTime:
            return PropertyValue::Of(type, Load<double>(p));
        case PropertyType::Currency:
        case PropertyType::Integer64:
            return PropertyValue::Of(type, Load<std::int64_t>(p));
        case PropertyType::Time:
            return PropertyValue::Of(type, Load<std::uint64_t>(p));
        case PropertyType::ErrorCode:
            return PropertyValue::Of(type, Load<std::uint32_t>(p));
        case PropertyType::Boolean:
            return PropertyValue::Of(type, p[0] != 0);
        case PropertyType::Guid: {
            Guid g;
            std::memcpy(g.bytes.data(), p, 16);
            return PropertyValue::Of(type, g);
        }
        case PropertyType::MultipleInteger16:
            return PropertyValue::Of(type, LoadArray<std::int16_t>(b));
        case PropertyType::MultipleInteger32:
            return PropertyValue::Of(type, LoadArray<std::int32_t>(b));
        case PropertyType::MultipleFloating32:
            return PropertyValue::Of(type, LoadArray<float>(b));
        case PropertyType::MultipleFloating64:
        case PropertyType::MultipleFloatingTime:
            return PropertyValue::Of(type, LoadArray<double>(b));
        case PropertyType::MultipleCurrency:
        case PropertyType::MultipleInteger64:
            return PropertyValue::Of(type, LoadArray<std::int64_t>(b));
        case PropertyType::MultipleTime:
            return PropertyValue::Of(type, LoadArray<std::uint64_t>(b));
        case PropertyType::MultipleGuid: {
            std::vector<Guid> out(b.size() / 16);
            for (std::size_t i = 0; i < out.size(); ++i) std::memcpy(out[i].bytes.data(), p + 16 * i, 16);
            return PropertyValue::Of(type, std::move(out));
        }
        default:
            return std::nullopt;
    }
}

bool AppendFixedSize(const PropertyValue& value, std::vector<std::uint8_t>& out) {
    if (FixedSizeOf(value.Type()) == 0) return false;
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) {
                out.push_back(v ? 1 : 0);
            } else if constexpr (std::is_arithmetic_v<T>) {
                Append(out, v);
            } else if constexpr (std::is_same_v<T, Guid>) {
                out.insert(out.end(), v.bytes.begin(), v.bytes.end());
            } else if constexpr (std::is_same_v<T, std::vector<Guid>>) {
                for (const Guid& g : v) out.insert(out.end(), g.bytes.begin(), g.bytes.end());
            } else if constexpr (requires { v.data(); } && !std::is_same_v<T, std::u16string> &&
                                 !std::is_same_v<T, std::string> && !std::is_same_v<T, PropertyValue::Bytes>) {
                using E = typename T::value_type;
                if constexpr (std::is_arithmetic_v<E>)
                    for (const E& e : v) Append(out, e);
            }
        },
        value.Content());
    return true;
}

}  // namespace ferrowick::mapi

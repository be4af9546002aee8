// [MS-OXCDATA 2.11.1] Fixed-size values and fixed-size multi-valued elements.
#include "mapi/fixed_size_values.hpp"

#include <bit>
#include <cstring>

namespace ferrowick::mapi {
namespace {

static_assert(std::endian::native == std::endian::little, "values are copied as stored");

template <typename T>
T Load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
std::vector<T> LoadArray(std::span<const std::uint8_t> b) {
    std::vector<T> out(b.size() / sizeof(T));
    if (!out.empty()) std::memcpy(out.data(), b.data(), out.size() * sizeof(T));
    return out;
}

template <typename T>
void AppendRaw(std::vector<std::uint8_t>& out, const T* p, std::size_t count) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(p);
    out.insert(out.end(), bytes, bytes + count * sizeof(T));
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
                AppendRaw(out, &v, 1);
            } else if constexpr (std::is_same_v<T, Guid>) {
                out.insert(out.end(), v.bytes.begin(), v.bytes.end());
            } else if constexpr (std::is_same_v<T, std::vector<Guid>>) {
                for (const Guid& g : v) out.insert(out.end(), g.bytes.begin(), g.bytes.end());
            } else if constexpr (requires { v.data(); } && !std::is_same_v<T, std::u16string> &&
                                 !std::is_same_v<T, std::string> && !std::is_same_v<T, PropertyValue::Bytes>) {
                using E = typename T::value_type;
                if constexpr (std::is_arithmetic_v<E>) AppendRaw(out, v.data(), v.size());
            }
        },
        value.Content());
    return true;
}

}  // namespace ferrowick::mapi

// Values as the lists, tables and properties layer stores them [MS-PST 2.3.3.3 PC value
// storage, 2.3.3.4 multi-valued and variable-size values, 2.3.3.5 objects, 2.3.4.4.1 TC cells].
#include "pst/ltp/property_types.hpp"

#include <cstdio>
#include <cstring>
#include <string>

#include "mapi/fixed_size_values.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

std::string Hex(unsigned v, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", width, v);
    return text;
}

[[noreturn]] void BadSize(PropertyType type, std::size_t size, const char* why) {
    throw PstError(ErrorKind::CorruptStructure,
                   std::string(PropertyTypeName(type)) + " value of " + std::to_string(size) + " bytes: " + why);
}

// Variable-size multi-valued layout: ulCount, rgulDataOffsets[ulCount], then the values.
std::vector<le::ByteView> SplitMultiple(PropertyType type, le::ByteView b) {
    if (b.size() < 4) BadSize(type, b.size(), "shorter than its count");
    const std::uint32_t count = le::LoadU32(b.data());
    if (count > (b.size() - 4) / 4) BadSize(type, b.size(), "count of values exceeds the data");
    std::vector<le::ByteView> out;
    out.reserve(count);
    const std::size_t tableEnd = 4 + 4 * std::size_t{count};
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t start = le::LoadU32(b.data() + 4 + 4 * i);
        const std::size_t end = i + 1 < count ? le::LoadU32(b.data() + 8 + 4 * i) : b.size();
        if (start < tableEnd || end < start || end > b.size())
            BadSize(type, b.size(), "value offsets out of order or out of bounds");
        out.push_back(b.subspan(start, end - start));
    }
    return out;
}

template <typename Item, typename Append>
void EncodeMultiple(const std::vector<Item>& items, le::Bytes& out, Append append) {
    const std::size_t base = out.size();
    le::AppendU32(out, static_cast<std::uint32_t>(items.size()));
    out.resize(base + 4 + 4 * items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        le::StoreU32(out.data() + base + 4 + 4 * i, static_cast<std::uint32_t>(out.size() - base));
        append(items[i]);
    }
}

std::u16string ToUtf16(PropertyType type, le::ByteView b) {
    if (b.size() % 2 != 0) BadSize(type, b.size(), "UTF-16 text of an odd number of bytes");
    std::u16string s(b.size() / 2, u'\0');
    if (!s.empty()) std::memcpy(s.data(), b.data(), b.size());
    return s;
}

}  // namespace

PropertyType StoredPropertyType(std::uint16_t raw) {
    const std::optional<PropertyType> type = mapi::PropertyTypeFrom(raw);
    if (!type) throw PstError(ErrorKind::CorruptStructure, "unknown property type " + Hex(raw, 4));
    return *type;
}

PropertyTag StoredPropertyTag(std::uint32_t value) {
    return PropertyTag{static_cast<std::uint16_t>(value >> 16), StoredPropertyType(static_cast<std::uint16_t>(value))};
}

bool StoredInlineInPropertyContext(PropertyType type) {
    return !IsMultiValued(type) && FixedSizeOf(type) != 0 && FixedSizeOf(type) <= 4;
}

bool StoredInlineInTableCell(PropertyType type) {
    return !IsMultiValued(type) && FixedSizeOf(type) != 0 && FixedSizeOf(type) <= 8;
}

std::size_t TableCellSizeOf(PropertyType type) { return StoredInlineInTableCell(type) ? FixedSizeOf(type) : 4; }

PropertyValue DecodeStoredValue(PropertyType type, le::ByteView b) {
    StoredPropertyType(static_cast<std::uint16_t>(type));
    const std::size_t fixed = FixedSizeOf(type);
    if (fixed != 0) {
        if (std::optional<PropertyValue> value = mapi::DecodeFixedSize(type, b)) return std::move(*value);
        if (!IsMultiValued(type)) BadSize(type, b.size(), ("the type holds " + std::to_string(fixed)).c_str());
        BadSize(type, b.size(), ("not a whole number of " + std::to_string(fixed) + "-byte values").c_str());
    }
    const std::uint8_t* p = b.data();
    switch (type) {
        case PropertyType::Object:
            if (b.size() != 8) BadSize(type, b.size(), "an object reference holds 8");
            return PropertyValue::Object(ObjectReference{le::LoadU32(p), le::LoadU32(p + 4)});
        case PropertyType::String:
            return PropertyValue::String(ToUtf16(type, b));
        case PropertyType::String8:
            return PropertyValue::String8(std::string(b.begin(), b.end()));
        case PropertyType::Binary:
        case PropertyType::ServerId:
        case PropertyType::Restriction:
        case PropertyType::RuleAction:
            return PropertyValue::Of(type, PropertyValue::Bytes(b.begin(), b.end()));
        case PropertyType::MultipleString: {
            std::vector<std::u16string> out;
            for (auto part : SplitMultiple(type, b)) out.push_back(ToUtf16(type, part));
            return PropertyValue::Multiple(type, std::move(out));
        }
        case PropertyType::MultipleString8: {
            std::vector<std::string> out;
            for (auto part : SplitMultiple(type, b)) out.emplace_back(part.begin(), part.end());
            return PropertyValue::Multiple(type, std::move(out));
        }
        case PropertyType::MultipleBinary: {
            std::vector<PropertyValue::Bytes> out;
            for (auto part : SplitMultiple(type, b)) out.emplace_back(part.begin(), part.end());
            return PropertyValue::Multiple(type, std::move(out));
        }
        default:
            break;
    }
    throw PstError(ErrorKind::CorruptStructure, "unknown property type " + Hex(static_cast<unsigned>(type), 4));
}

void EncodeStoredValue(const PropertyValue& value, le::Bytes& out) {
    if (mapi::AppendFixedSize(value, out)) return;
    if (value.HasRawBytes()) {
        const le::ByteView raw = value.RawBytes();
        out.insert(out.end(), raw.begin(), raw.end());
        return;
    }
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, ObjectReference>) {
                le::AppendU32(out, v.subnode);
                le::AppendU32(out, v.size);
            } else if constexpr (std::is_same_v<T, std::vector<std::u16string>>) {
                EncodeMultiple(v, out, [&](const std::u16string& s) {
                    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
                    out.insert(out.end(), p, p + 2 * s.size());
                });
            } else if constexpr (std::is_same_v<T, std::vector<std::string>> ||
                                 std::is_same_v<T, std::vector<PropertyValue::Bytes>>) {
                EncodeMultiple(v, out, [&](const auto& s) {
                    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
                    out.insert(out.end(), p, p + s.size());
                });
            }
        },
        value.Content());
}

PropertyValue::Bytes EncodeStoredValue(const PropertyValue& value) {
    PropertyValue::Bytes out;
    EncodeStoredValue(value, out);
    return out;
}

}  // namespace ferrowick::pst

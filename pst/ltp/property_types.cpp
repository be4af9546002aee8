// Property types and values [MS-OXCDATA 2.11.1, MS-PST 2.3.3.3, 2.3.3.4].
#include "pst/ltp/property_types.hpp"

#include <array>
#include <bit>
#include <cstring>
#include <string>

#include "pst/pst_error.hpp"

namespace ferrowick::pst {
namespace {

static_assert(std::endian::native == std::endian::little, "UTF-16 text is copied as stored");

struct TypeInfo {
    PropertyType type;
    const char* name;
    std::size_t fixed_size;  // 0: variable
    std::size_t content_index;
};

constexpr TypeInfo kTypes[] = {
    {PropertyType::Integer16, "PtypInteger16", 2, 0},
    {PropertyType::Integer32, "PtypInteger32", 4, 1},
    {PropertyType::Floating32, "PtypFloating32", 4, 2},
    {PropertyType::Floating64, "PtypFloating64", 8, 3},
    {PropertyType::Currency, "PtypCurrency", 8, 4},
    {PropertyType::FloatingTime, "PtypFloatingTime", 8, 3},
    {PropertyType::ErrorCode, "PtypErrorCode", 4, 7},
    {PropertyType::Boolean, "PtypBoolean", 1, 6},
    {PropertyType::Object, "PtypObject", 0, 12},
    {PropertyType::Integer64, "PtypInteger64", 8, 4},
    {PropertyType::String8, "PtypString8", 0, 9},
    {PropertyType::String, "PtypString", 0, 8},
    {PropertyType::Time, "PtypTime", 8, 5},
    {PropertyType::Guid, "PtypGuid", 16, 10},
    {PropertyType::ServerId, "PtypServerId", 0, 11},
    {PropertyType::Restriction, "PtypRestriction", 0, 11},
    {PropertyType::RuleAction, "PtypRuleAction", 0, 11},
    {PropertyType::Binary, "PtypBinary", 0, 11},
    {PropertyType::MultipleInteger16, "PtypMultipleInteger16", 2, 13},
    {PropertyType::MultipleInteger32, "PtypMultipleInteger32", 4, 14},
    {PropertyType::MultipleFloating32, "PtypMultipleFloating32", 4, 15},
    {PropertyType::MultipleFloating64, "PtypMultipleFloating64", 8, 16},
    {PropertyType::MultipleCurrency, "PtypMultipleCurrency", 8, 17},
    {PropertyType::MultipleFloatingTime, "PtypMultipleFloatingTime", 8, 16},
    {PropertyType::MultipleInteger64, "PtypMultipleInteger64", 8, 17},
    {PropertyType::MultipleString8, "PtypMultipleString8", 0, 20},
    {PropertyType::MultipleString, "PtypMultipleString", 0, 19},
    {PropertyType::MultipleTime, "PtypMultipleTime", 8, 18},
    {PropertyType::MultipleGuid, "PtypMultipleGuid", 16, 21},
    {PropertyType::MultipleBinary, "PtypMultipleBinary", 0, 22},
};

// Every value is checked against its type: a direct table, not a search, maps a raw type to
// its entry (one past its index; 0 for types that are not known).
constexpr std::size_t kRawTypeLimit = 0x1103;
using TypeIndex = std::array<std::uint8_t, kRawTypeLimit>;
constexpr TypeIndex MakeTypeIndex() {
    TypeIndex index{};
    for (std::size_t i = 0; i < std::size(kTypes); ++i) index[static_cast<std::uint16_t>(kTypes[i].type)] = static_cast<std::uint8_t>(i + 1);
    return index;
}
constexpr TypeIndex kTypeIndex = MakeTypeIndex();

const TypeInfo* Find(std::uint16_t raw) {
    if (raw >= kRawTypeLimit || kTypeIndex[raw] == 0) return nullptr;
    return &kTypes[kTypeIndex[raw] - 1];
}

const TypeInfo& Info(PropertyType type) {
    const TypeInfo* info = Find(static_cast<std::uint16_t>(type));
    if (!info) throw PstError(ErrorKind::CorruptStructure, "unknown property type 0x" + std::to_string(static_cast<unsigned>(type)));
    return *info;
}

std::string Hex(unsigned v, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", width, v);
    return text;
}

[[noreturn]] void BadSize(PropertyType type, std::size_t size, const char* why) {
    throw PstError(ErrorKind::CorruptStructure, std::string(PropertyTypeName(type)) + " value of " + std::to_string(size) + " bytes: " + why);
}

template <typename T> T Load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T> std::vector<T> LoadArray(le::ByteView b) {
    std::vector<T> out(b.size() / sizeof(T));
    if (!out.empty()) std::memcpy(out.data(), b.data(), out.size() * sizeof(T));
    return out;
}

// Variable-size multi-valued layout: ulCount, rgulDataOffsets[ulCount], then the values.
std::vector<le::ByteView> SplitMultiple(PropertyType type, le::ByteView b) {
    if (b.size() < 4) BadSize(type, b.size(), "shorter than its count");
    const std::uint32_t count = le::LoadU32(b.data());
    if (count > (b.size() - 4) / 4) BadSize(type, b.size(), "count of values exceeds the data");
    std::vector<le::ByteView> out;
    out.reserve(count);
    const std::size_t table_end = 4 + 4 * std::size_t{count};
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t start = le::LoadU32(b.data() + 4 + 4 * i);
        const std::size_t end = i + 1 < count ? le::LoadU32(b.data() + 8 + 4 * i) : b.size();
        if (start < table_end || end < start || end > b.size())
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

template <typename T> void AppendRaw(le::Bytes& out, const T& v) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
    out.insert(out.end(), p, p + sizeof v);
}

template <typename T> void AppendArray(le::Bytes& out, const std::vector<T>& v) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(v.data());
    out.insert(out.end(), p, p + v.size() * sizeof(T));
}

}  // namespace

bool IsKnownPropertyType(std::uint16_t raw) { return Find(raw) != nullptr; }

PropertyType PropertyTypeFrom(std::uint16_t raw) {
    if (!Find(raw)) throw PstError(ErrorKind::CorruptStructure, "unknown property type " + Hex(raw, 4));
    return static_cast<PropertyType>(raw);
}

const char* PropertyTypeName(PropertyType type) {
    const TypeInfo* info = Find(static_cast<std::uint16_t>(type));
    return info ? info->name : "unknown property type";
}

bool IsMultiValued(PropertyType type) { return (static_cast<std::uint16_t>(type) & 0x1000) != 0; }
std::size_t FixedSizeOf(PropertyType type) { return Info(type).fixed_size; }

bool StoredInlineInPropertyContext(PropertyType type) {
    return !IsMultiValued(type) && FixedSizeOf(type) != 0 && FixedSizeOf(type) <= 4;
}

bool StoredInlineInTableCell(PropertyType type) {
    return !IsMultiValued(type) && FixedSizeOf(type) != 0 && FixedSizeOf(type) <= 8;
}

std::size_t TableCellSizeOf(PropertyType type) { return StoredInlineInTableCell(type) ? FixedSizeOf(type) : 4; }

PropertyTag PropertyTag::FromValue(std::uint32_t value) {
    return PropertyTag{static_cast<std::uint16_t>(value >> 16), PropertyTypeFrom(static_cast<std::uint16_t>(value))};
}

PropertyValue::PropertyValue(PropertyType type, Storage content) : type_(type), content_(std::move(content)) {
    if (content_.index() != Info(type).content_index)
        throw PstError(ErrorKind::InvalidArgument, std::string("a ") + PropertyTypeName(type) + " value made from content of another type");
}

PropertyValue PropertyValue::Multiple(PropertyType type, Storage values) {
    if (!IsMultiValued(type)) throw PstError(ErrorKind::InvalidArgument, std::string(PropertyTypeName(type)) + " is not a multi-valued type");
    return PropertyValue(type, std::move(values));
}

void PropertyValue::throw_type_mismatch() const {
    throw PstError(ErrorKind::InvalidArgument, std::string("the ") + PropertyTypeName(type_) + " value was read as another type");
}

PropertyValue PropertyValue::Decode(PropertyType type, le::ByteView b) {
    const TypeInfo& info = Info(type);
    const std::size_t fixed = info.fixed_size;
    if (!IsMultiValued(type) && fixed != 0 && b.size() != fixed)
        BadSize(type, b.size(), ("the type holds " + std::to_string(fixed)).c_str());
    if (IsMultiValued(type) && fixed != 0 && b.size() % fixed != 0)
        BadSize(type, b.size(), ("not a whole number of " + std::to_string(fixed) + "-byte values").c_str());
    const std::uint8_t* p = b.data();
    switch (type) {
        case PropertyType::Integer16: return {type, Load<std::int16_t>(p)};
        case PropertyType::Integer32: return {type, Load<std::int32_t>(p)};
        case PropertyType::Floating32: return {type, Load<float>(p)};
        case PropertyType::Floating64:
        case PropertyType::FloatingTime: return {type, Load<double>(p)};
        case PropertyType::Currency:
        case PropertyType::Integer64: return {type, Load<std::int64_t>(p)};
        case PropertyType::Time: return {type, Load<std::uint64_t>(p)};
        case PropertyType::ErrorCode: return {type, Load<std::uint32_t>(p)};
        case PropertyType::Boolean: return {type, p[0] != 0};
        case PropertyType::Guid: {
            Guid g;
            std::memcpy(g.bytes.data(), p, 16);
            return {type, g};
        }
        case PropertyType::Object:
            if (b.size() != 8) BadSize(type, b.size(), "an object reference holds 8");
            return {type, ObjectReference{NodeId(le::LoadU32(p)), le::LoadU32(p + 4)}};
        case PropertyType::String: return {type, ToUtf16(type, b)};
        case PropertyType::String8: return {type, std::string(b.begin(), b.end())};
        case PropertyType::Binary:
        case PropertyType::ServerId:
        case PropertyType::Restriction:
        case PropertyType::RuleAction: return {type, Bytes(b.begin(), b.end())};
        case PropertyType::MultipleInteger16: return {type, LoadArray<std::int16_t>(b)};
        case PropertyType::MultipleInteger32: return {type, LoadArray<std::int32_t>(b)};
        case PropertyType::MultipleFloating32: return {type, LoadArray<float>(b)};
        case PropertyType::MultipleFloating64:
        case PropertyType::MultipleFloatingTime: return {type, LoadArray<double>(b)};
        case PropertyType::MultipleCurrency:
        case PropertyType::MultipleInteger64: return {type, LoadArray<std::int64_t>(b)};
        case PropertyType::MultipleTime: return {type, LoadArray<std::uint64_t>(b)};
        case PropertyType::MultipleGuid: {
            std::vector<Guid> out(b.size() / 16);
            for (std::size_t i = 0; i < out.size(); ++i) std::memcpy(out[i].bytes.data(), p + 16 * i, 16);
            return {type, std::move(out)};
        }
        case PropertyType::MultipleString: {
            std::vector<std::u16string> out;
            for (auto part : SplitMultiple(type, b)) out.push_back(ToUtf16(type, part));
            return {type, std::move(out)};
        }
        case PropertyType::MultipleString8: {
            std::vector<std::string> out;
            for (auto part : SplitMultiple(type, b)) out.emplace_back(part.begin(), part.end());
            return {type, std::move(out)};
        }
        case PropertyType::MultipleBinary: {
            std::vector<Bytes> out;
            for (auto part : SplitMultiple(type, b)) out.emplace_back(part.begin(), part.end());
            return {type, std::move(out)};
        }
    }
    throw PstError(ErrorKind::CorruptStructure, "unknown property type " + Hex(static_cast<unsigned>(type), 4));
}

bool PropertyValue::HasRawBytes() const {
    return std::holds_alternative<Bytes>(content_) || std::holds_alternative<std::string>(content_) ||
           std::holds_alternative<std::u16string>(content_);
}

le::ByteView PropertyValue::RawBytes() const {
    if (const auto* b = std::get_if<Bytes>(&content_)) return *b;
    if (const auto* s = std::get_if<std::string>(&content_))
        return le::ByteView(reinterpret_cast<const std::uint8_t*>(s->data()), s->size());
    if (const auto* w = std::get_if<std::u16string>(&content_))
        return le::ByteView(reinterpret_cast<const std::uint8_t*>(w->data()), w->size() * 2);
    return {};
}

void PropertyValue::EncodeTo(Bytes& out) const {
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) {
                out.push_back(v ? 1 : 0);
            } else if constexpr (std::is_arithmetic_v<T>) {
                AppendRaw(out, v);
            } else if constexpr (std::is_same_v<T, Guid>) {
                out.insert(out.end(), v.bytes.begin(), v.bytes.end());
            } else if constexpr (std::is_same_v<T, ObjectReference>) {
                le::AppendU32(out, v.node.Value());
                le::AppendU32(out, v.size);
            } else if constexpr (std::is_same_v<T, Bytes> || std::is_same_v<T, std::string> ||
                                 std::is_same_v<T, std::u16string>) {
                const le::ByteView raw = RawBytes();
                out.insert(out.end(), raw.begin(), raw.end());
            } else if constexpr (std::is_same_v<T, std::vector<Guid>>) {
                for (const auto& g : v) out.insert(out.end(), g.bytes.begin(), g.bytes.end());
            } else if constexpr (std::is_same_v<T, std::vector<std::u16string>>) {
                EncodeMultiple(v, out, [&](const std::u16string& s) {
                    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
                    out.insert(out.end(), p, p + 2 * s.size());
                });
            } else if constexpr (std::is_same_v<T, std::vector<std::string>> || std::is_same_v<T, std::vector<Bytes>>) {
                EncodeMultiple(v, out, [&](const auto& s) {
                    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
                    out.insert(out.end(), p, p + s.size());
                });
            } else {
                AppendArray(out, v);
            }
        },
        content_);
}

PropertyValue::Bytes PropertyValue::Encode() const {
    Bytes out;
    EncodeTo(out);
    return out;
}

}  // namespace ferrowick::pst

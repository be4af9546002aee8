#pragma once
// Property types and values [MS-OXCDATA 2.11.1 property data types] as the lists/tables layer
// stores them [MS-PST 2.3.3.3 PC value storage, 2.3.4.4.1 TC cell storage, 2.3.3.4 multi-valued
// and variable-size values]. A PropertyValue is checked where it is made: its C++ content
// always matches its type, and decoding stored bytes rejects sizes the type cannot have.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "bytes/little_endian.hpp"
#include "pst/ndb/ids.hpp"

namespace ferrowick::pst {

enum class PropertyType : std::uint16_t {
    Integer16 = 0x0002, Integer32 = 0x0003, Floating32 = 0x0004, Floating64 = 0x0005,
    Currency = 0x0006, FloatingTime = 0x0007, ErrorCode = 0x000A, Boolean = 0x000B,
    Object = 0x000D, Integer64 = 0x0014, String8 = 0x001E, String = 0x001F, Time = 0x0040,
    Guid = 0x0048, ServerId = 0x00FB, Restriction = 0x00FD, RuleAction = 0x00FE, Binary = 0x0102,
    MultipleInteger16 = 0x1002, MultipleInteger32 = 0x1003, MultipleFloating32 = 0x1004,
    MultipleFloating64 = 0x1005, MultipleCurrency = 0x1006, MultipleFloatingTime = 0x1007,
    MultipleInteger64 = 0x1014, MultipleString8 = 0x101E, MultipleString = 0x101F,
    MultipleTime = 0x1040, MultipleGuid = 0x1048, MultipleBinary = 0x1102,
};

bool IsKnownPropertyType(std::uint16_t raw);
PropertyType PropertyTypeFrom(std::uint16_t raw);  // throws PstError for unknown types
const char* PropertyTypeName(PropertyType type);
bool IsMultiValued(PropertyType type);
// Bytes of one value of a fixed-size type (of one element for fixed multi-valued types);
// 0 for variable-size types.
std::size_t FixedSizeOf(PropertyType type);
// A PC keeps fixed values of up to 4 bytes in dwValueHnid itself; all others go through an HNID.
bool StoredInlineInPropertyContext(PropertyType type);
// Bytes of a TC cell: the value itself for fixed types up to 8 bytes, else a 4-byte HNID.
std::size_t TableCellSizeOf(PropertyType type);
bool StoredInlineInTableCell(PropertyType type);

// A property tag: 16-bit property ID above a 16-bit type [MS-OXCDATA 2.9].
struct PropertyTag {
    std::uint16_t id = 0;
    PropertyType type = PropertyType::Integer32;
    constexpr std::uint32_t Value() const { return (std::uint32_t{id} << 16) | static_cast<std::uint16_t>(type); }
    static PropertyTag FromValue(std::uint32_t value);  // throws PstError for unknown types
    constexpr auto operator<=>(const PropertyTag& o) const { return Value() <=> o.Value(); }
    constexpr bool operator==(const PropertyTag& o) const { return Value() == o.Value(); }
};

struct Guid {
    std::array<std::uint8_t, 16> bytes{};  // as stored: Data1..Data3 little-endian, Data4 as is
    bool operator==(const Guid&) const = default;
};

// A PtypObject value in a PC: the sub-node holding the object and its size [MS-PST 2.3.3.5].
struct ObjectReference {
    NodeId node;
    std::uint32_t size = 0;
    bool operator==(const ObjectReference&) const = default;
};

class PropertyValue {
public:
    using Bytes = std::vector<std::uint8_t>;
    using Storage = std::variant<std::int16_t, std::int32_t, float, double, std::int64_t, std::uint64_t, bool,
                                 std::uint32_t, std::u16string, std::string, Guid, Bytes, ObjectReference,
                                 std::vector<std::int16_t>, std::vector<std::int32_t>, std::vector<float>,
                                 std::vector<double>, std::vector<std::int64_t>, std::vector<std::uint64_t>,
                                 std::vector<std::u16string>, std::vector<std::string>, std::vector<Guid>,
                                 std::vector<Bytes>>;

    static PropertyValue Integer16(std::int16_t v) { return {PropertyType::Integer16, v}; }
    static PropertyValue Integer32(std::int32_t v) { return {PropertyType::Integer32, v}; }
    static PropertyValue Floating32(float v) { return {PropertyType::Floating32, v}; }
    static PropertyValue Floating64(double v) { return {PropertyType::Floating64, v}; }
    static PropertyValue Currency(std::int64_t ten_thousandths) { return {PropertyType::Currency, ten_thousandths}; }
    static PropertyValue FloatingTime(double ole_date) { return {PropertyType::FloatingTime, ole_date}; }
    static PropertyValue ErrorCode(std::uint32_t v) { return {PropertyType::ErrorCode, v}; }
    static PropertyValue Boolean(bool v) { return {PropertyType::Boolean, v}; }
    static PropertyValue Integer64(std::int64_t v) { return {PropertyType::Integer64, v}; }
    static PropertyValue Time(std::uint64_t filetime) { return {PropertyType::Time, filetime}; }
    static PropertyValue String(std::u16string v) { return {PropertyType::String, std::move(v)}; }
    static PropertyValue String8(std::string v) { return {PropertyType::String8, std::move(v)}; }
    static PropertyValue MakeGuid(const Guid& v) { return {PropertyType::Guid, v}; }
    static PropertyValue Binary(Bytes v) { return {PropertyType::Binary, std::move(v)}; }
    static PropertyValue ServerId(Bytes v) { return {PropertyType::ServerId, std::move(v)}; }
    static PropertyValue Restriction(Bytes v) { return {PropertyType::Restriction, std::move(v)}; }
    static PropertyValue RuleAction(Bytes v) { return {PropertyType::RuleAction, std::move(v)}; }
    static PropertyValue Object(ObjectReference v) { return {PropertyType::Object, v}; }
    // Multi-valued forms take the element type's C++ type in a vector; `type` names the form.
    static PropertyValue Multiple(PropertyType type, Storage values);

    // From the bytes a PC, TC or sub-node stores; throws PstError when they do not fit the type.
    static PropertyValue Decode(PropertyType type, le::ByteView stored);
    // The stored form; Decode(Type(), Encode()) gives the value back.
    Bytes Encode() const;
    void EncodeTo(Bytes& out) const;
    // The stored form without a copy, for the types whose content already is that form.
    bool HasRawBytes() const;
    le::ByteView RawBytes() const;

    PropertyType Type() const { return type_; }
    const Storage& Content() const { return content_; }
    template <typename T> const T& As() const {
        if (const T* p = std::get_if<T>(&content_)) return *p;
        throw_type_mismatch();
    }
    bool operator==(const PropertyValue&) const = default;

private:
    PropertyValue(PropertyType type, Storage content);
    [[noreturn]] void throw_type_mismatch() const;
    PropertyType type_;
    Storage content_;
};

}  // namespace ferrowick::pst

#pragma once
// [MS-OXCDATA 2.11.1] A property's value: its type and its content. A value is checked where
// it is made: its C++ content always matches its type. Types that share a representation
// (Currency and Integer64, FloatingTime and Floating64, the byte-string types) tell themselves
// apart by the type.
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "mapi/guid.hpp"
#include "mapi/property_type.hpp"

namespace ferrowick::mapi {

// A PtypObject value as a store keeps it: the sub-node that holds the object and its size.
struct ObjectReference {
    std::uint32_t subnode = 0;  // the node ID's 32-bit value
    std::uint32_t size = 0;
    bool operator==(const ObjectReference&) const = default;
};

class PropertyValue {
public:
    using Bytes = std::vector<std::uint8_t>;
    using Storage =
        std::variant<std::int16_t, std::int32_t, float, double, std::int64_t, std::uint64_t, bool, std::uint32_t,
                     std::u16string, std::string, Guid, Bytes, ObjectReference, std::vector<std::int16_t>,
                     std::vector<std::int32_t>, std::vector<float>, std::vector<double>, std::vector<std::int64_t>,
                     std::vector<std::uint64_t>, std::vector<std::u16string>, std::vector<std::string>,
                     std::vector<Guid>, std::vector<Bytes>>;

    static PropertyValue Integer16(std::int16_t v) { return {PropertyType::Integer16, v}; }
    static PropertyValue Integer32(std::int32_t v) { return {PropertyType::Integer32, v}; }
    static PropertyValue Floating32(float v) { return {PropertyType::Floating32, v}; }
    static PropertyValue Floating64(double v) { return {PropertyType::Floating64, v}; }
    static PropertyValue Currency(std::int64_t tenThousandths) { return {PropertyType::Currency, tenThousandths}; }
    static PropertyValue FloatingTime(double oleDate) { return {PropertyType::FloatingTime, oleDate}; }
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
    // Any type from content of its C++ type; throws PropertyError when they do not fit.
    static PropertyValue Of(PropertyType type, Storage content) { return {type, std::move(content)}; }

    PropertyType Type() const { return type_; }
    const Storage& Content() const { return content_; }
    template <typename T>
    const T& As() const {
        if (const T* p = std::get_if<T>(&content_)) return *p;
        ThrowTypeMismatch();
    }
    template <typename T>
    const T* If() const {
        return std::get_if<T>(&content_);
    }
    // The content's own bytes, for the types whose content already is its stored form (byte
    // strings, 8-bit text, and UTF-16 text on a little-endian machine); empty for the others.
    bool HasRawBytes() const;
    std::span<const std::uint8_t> RawBytes() const;
    bool operator==(const PropertyValue&) const = default;

private:
    PropertyValue(PropertyType type, Storage content);
    [[noreturn]] void ThrowTypeMismatch() const;
    PropertyType type_;
    Storage content_;
};

}  // namespace ferrowick::mapi

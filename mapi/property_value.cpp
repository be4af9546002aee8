// [MS-OXCDATA 2.11.1] Property values, checked against their type where they are made.
#include "mapi/property_value.hpp"

#include <bit>

#include "mapi/property_error.hpp"
#include "mapi/property_type_table.hpp"

namespace ferrowick::mapi {

static_assert(std::endian::native == std::endian::little, "UTF-16 text is its own stored form");

PropertyValue::PropertyValue(PropertyType type, Storage content) : type_(type), content_(std::move(content)) {
    const TypeInfo* info = FindTypeInfo(static_cast<std::uint16_t>(type));
    if (!info) throw PropertyError("a value of unknown property type " + std::to_string(static_cast<unsigned>(type)));
    if (content_.index() != info->contentIndex)
        throw PropertyError(std::string("a ") + info->name + " value made from content of another type");
}

PropertyValue PropertyValue::Multiple(PropertyType type, Storage values) {
    if (!IsMultiValued(type)) throw PropertyError(std::string(PropertyTypeName(type)) + " is not a multi-valued type");
    return PropertyValue(type, std::move(values));
}

void PropertyValue::ThrowTypeMismatch() const {
    throw PropertyError(std::string("the ") + PropertyTypeName(type_) + " value was read as another type");
}

bool PropertyValue::HasRawBytes() const {
    return std::holds_alternative<Bytes>(content_) || std::holds_alternative<std::string>(content_) ||
           std::holds_alternative<std::u16string>(content_);
}

std::span<const std::uint8_t> PropertyValue::RawBytes() const {
    if (const auto* b = std::get_if<Bytes>(&content_)) return *b;
    if (const auto* s = std::get_if<std::string>(&content_))
        return {reinterpret_cast<const std::uint8_t*>(s->data()), s->size()};
    if (const auto* w = std::get_if<std::u16string>(&content_))
        return {reinterpret_cast<const std::uint8_t*>(w->data()), w->size() * 2};
    return {};
}

}  // namespace ferrowick::mapi

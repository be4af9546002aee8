#pragma once
// Property values as the lists, tables and properties layer stores them [MS-PST 2.3.3.3 PC
// value storage, 2.3.4.4.1 TC cell storage, 2.3.3.4 multi-valued and variable-size values].
// The types, tags and values themselves are the property model's (mapi/); this is how a .pst
// keeps them, and decoding stored bytes rejects sizes the type cannot have.
#include <cstddef>
#include <cstdint>

#include "bytes/little_endian.hpp"
#include "mapi/property_set.hpp"
#include "mapi/property_tag.hpp"
#include "mapi/property_value.hpp"

namespace ferrowick::pst {

using mapi::FixedSizeOf;
using mapi::Guid;
using mapi::IsKnownPropertyType;
using mapi::IsMultiValued;
using mapi::ObjectReference;
using mapi::PropertyTag;
using mapi::PropertyType;
using mapi::PropertyTypeName;
using mapi::PropertyValue;

// A stored type or tag; throws PstError for types that are not known.
PropertyType StoredPropertyType(std::uint16_t raw);
PropertyTag StoredPropertyTag(std::uint32_t value);

// A PC keeps fixed values of up to 4 bytes in dwValueHnid itself; all others go through an HNID.
bool StoredInlineInPropertyContext(PropertyType type);
// Bytes of a TC cell: the value itself for fixed types up to 8 bytes, else a 4-byte HNID.
std::size_t TableCellSizeOf(PropertyType type);
bool StoredInlineInTableCell(PropertyType type);

// A value from the bytes a PC, TC or sub-node stores; throws PstError when they do not fit the type.
PropertyValue DecodeStoredValue(PropertyType type, le::ByteView stored);
// The stored form; DecodeStoredValue(value.Type(), EncodeStoredValue(value)) gives the value back.
void EncodeStoredValue(const PropertyValue& value, le::Bytes& out);
PropertyValue::Bytes EncodeStoredValue(const PropertyValue& value);

}  // namespace ferrowick::pst

#pragma once
// [MS-OXCDATA 2.11.1] The table of property types: name, size of a fixed-size value, and
// which alternative of a value's content holds it. Every value is checked against its type,
// so a direct table, not a search, maps a raw type to its entry.
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "mapi/property_type.hpp"

namespace ferrowick::mapi {

struct TypeInfo {
    PropertyType type;
    const char* name;
    std::size_t fixedSize;     // 0: variable
    std::size_t contentIndex;  // of PropertyValue::Storage
};

inline constexpr TypeInfo kTypeTable[] = {
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

// One past an entry's index in kTypeTable, 0 for types that are not known.
inline constexpr std::size_t kRawTypeLimit = 0x1103;
inline constexpr std::array<std::uint8_t, kRawTypeLimit> kTypeIndex = [] {
    std::array<std::uint8_t, kRawTypeLimit> index{};
    for (std::size_t i = 0; i < std::size(kTypeTable); ++i)
        index[static_cast<std::uint16_t>(kTypeTable[i].type)] = static_cast<std::uint8_t>(i + 1);
    return index;
}();

inline const TypeInfo* FindTypeInfo(std::uint16_t raw) {
    if (raw >= kRawTypeLimit || kTypeIndex[raw] == 0) return nullptr;
    return &kTypeTable[kTypeIndex[raw] - 1];
}

}  // namespace ferrowick::mapi

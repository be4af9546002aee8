#pragma once
// [MS-OXCDATA 2.11.1] Property data types and the facts about them every format needs: the
// name, whether a type is multi-valued, and the size of a fixed-size value.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace ferrowick::mapi {

enum class PropertyType : std::uint16_t {
    Integer16 = 0x0002,
    Integer32 = 0x0003,
    Floating32 = 0x0004,
    Floating64 = 0x0005,
    Currency = 0x0006,
    FloatingTime = 0x0007,
    ErrorCode = 0x000A,
    Boolean = 0x000B,
    Object = 0x000D,
    Integer64 = 0x0014,
    String8 = 0x001E,
    String = 0x001F,
    Time = 0x0040,
    Guid = 0x0048,
    ServerId = 0x00FB,
    Restriction = 0x00FD,
    RuleAction = 0x00FE,
    Binary = 0x0102,
    MultipleInteger16 = 0x1002,
    MultipleInteger32 = 0x1003,
    MultipleFloating32 = 0x1004,
    MultipleFloating64 = 0x1005,
    MultipleCurrency = 0x1006,
    MultipleFloatingTime = 0x1007,
    MultipleInteger64 = 0x1014,
    MultipleString8 = 0x101E,
    MultipleString = 0x101F,
    MultipleTime = 0x1040,
    MultipleGuid = 0x1048,
    MultipleBinary = 0x1102,
};

inline constexpr std::uint16_t kMultipleFlag = 0x1000;

bool IsKnownPropertyType(std::uint16_t raw);
std::optional<PropertyType> PropertyTypeFrom(std::uint16_t raw);  // nullopt for unknown types
const char* PropertyTypeName(PropertyType type);                  // "PtypInteger32"
constexpr bool IsMultiValued(PropertyType type) { return (static_cast<std::uint16_t>(type) & kMultipleFlag) != 0; }
// The single-valued type of a multi-valued one's elements.
constexpr PropertyType ElementTypeOf(PropertyType type) {
    return static_cast<PropertyType>(static_cast<std::uint16_t>(type) & ~kMultipleFlag);
}
// Bytes of one value of a fixed-size type (of one element for fixed multi-valued types);
// 0 for variable-size types and for unknown ones.
std::size_t FixedSizeOf(PropertyType type);

}  // namespace ferrowick::mapi

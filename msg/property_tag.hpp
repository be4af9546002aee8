#pragma once
// [MS-OXCDATA 2.9, 2.11.1] A property tag: a 16-bit property id and a 16-bit property type.
#include <compare>
#include <cstdint>
#include <string>

namespace ferrowick::msg {

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

struct PropertyId {
    std::uint16_t value = 0;
    static constexpr std::uint16_t kFirstNamed = 0x8000;  // ids from here on are named properties
    constexpr bool IsNamed() const { return value >= kFirstNamed; }
    auto operator<=>(const PropertyId&) const = default;
};

struct PropertyTag {
    PropertyId id;
    PropertyType type = PropertyType::Integer32;

    constexpr PropertyTag() = default;
    constexpr PropertyTag(std::uint16_t idValue, PropertyType t) : id{idValue}, type(t) {}
    static constexpr PropertyTag FromU32(std::uint32_t tag) {
        return PropertyTag(static_cast<std::uint16_t>(tag >> 16), static_cast<PropertyType>(tag & 0xFFFF));
    }
    constexpr std::uint32_t ToU32() const {
        return (static_cast<std::uint32_t>(id.value) << 16) | static_cast<std::uint16_t>(type);
    }
    auto operator<=>(const PropertyTag&) const = default;
};

// "0x0037001F": for messages and test output.
std::string ToString(PropertyTag tag);

}  // namespace ferrowick::msg

#pragma once
// [MS-DTYP 2.3.4] A GUID in its 16-byte little-endian wire form, as .msg and .pst files store it.
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ferrowick::mapi {

struct Guid {
    std::array<std::uint8_t, 16> bytes{};

    // "{00020329-0000-0000-C000-000000000046}" form, braces optional; nullopt when malformed.
    static std::optional<Guid> Parse(std::string_view text);
    std::string ToString() const;  // upper-case, with braces
    auto operator<=>(const Guid&) const = default;
};

// [MS-OXPROPS 1.3.2] The two property sets a .msg file names by index rather than by GUID.
inline constexpr Guid kPsMapi{{0x28, 0x03, 0x02, 0x00, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid kPsPublicStrings{{0x29, 0x03, 0x02, 0x00, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

}  // namespace ferrowick::mapi

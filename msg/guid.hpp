#pragma once
// [MS-DTYP 2.3.4] A GUID in its 16-byte little-endian wire form, as .msg files store it.
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ferrowick::msg {

struct Guid {
    std::array<std::uint8_t, 16> bytes{};

    // "{00020329-0000-0000-C000-000000000046}" form, braces optional; nullopt when malformed.
    static std::optional<Guid> Parse(std::string_view text);
    std::string ToString() const;  // upper-case, with braces
    auto operator<=>(const Guid&) const = default;
};

// [MS-OXPROPS 1.3.2] The two property sets a .msg file names by index rather than by GUID.
Guid PsMapi();           // {00020328-0000-0000-C000-000000000046}
Guid PsPublicStrings();  // {00020329-0000-0000-C000-000000000046}

}  // namespace ferrowick::msg

#pragma once
// Decoding 8-bit text by a Windows code page number (PidTagMessageCodepage and
// PidTagInternetCodepage hold such numbers). Behind this interface sits POSIX iconv.
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrowick::msg {

// What a message without a usable code page is decoded by: Western European (Windows).
inline constexpr std::uint32_t kFallbackCodePage = 1252;

// Bytes in `codePage` to UTF-16. An unknown code page decodes as the fallback; bytes that
// are not valid in the code page become U+FFFD. Never throws for bad input.
std::u16string DecodeCodePage(std::string_view bytes, std::uint32_t codePage);

// Whether DecodeCodePage knows `codePage` (rather than falling back).
bool IsKnownCodePage(std::uint32_t codePage);

}  // namespace ferrowick::msg

#pragma once
// Decoding 8-bit text by a Windows code page number (PidTagMessageCodepage and
// PidTagInternetCodepage hold such numbers). Behind this interface sits iconv on POSIX,
// MultiByteToWideChar on Windows.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ferrowick::msg {

// What a message without a usable code page is decoded by: Western European (Windows).
inline constexpr std::uint32_t kFallbackCodePage = 1252;

// Bytes in `codePage` to UTF-16. An unknown code page decodes as the fallback; bytes that
// are not valid in the code page become U+FFFD. Never throws for bad input.
std::u16string DecodeCodePage(std::string_view bytes, std::uint32_t codePage);

// Whether DecodeCodePage knows `codePage` (rather than falling back).
bool IsKnownCodePage(std::uint32_t codePage);

// Code pages to try in order; never empty.
using CodePages = std::vector<std::uint32_t>;

// Bytes in the first of `codePages` that is known and decodes every byte of them; when none
// does, as DecodeCodePage does with the first.
std::u16string DecodeByFirstFitting(std::string_view bytes, const CodePages& codePages);

}  // namespace ferrowick::msg

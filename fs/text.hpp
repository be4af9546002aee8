#pragma once
// Text in the core is UTF-16. File names on Linux are bytes, usually UTF-8: a byte that is
// not part of valid UTF-8 becomes a lone low surrogate U+DC80..U+DCFF and back again, so
// every name survives the round trip to UTF-16 and the same file opens again.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace ferrowick {

// Bytes (UTF-8, possibly invalid) to UTF-16; invalid bytes are escaped losslessly.
std::u16string FromNative(std::string_view bytes);
// The same, appended to `out` (to gather many names in one buffer).
void AppendFromNative(std::string_view bytes, std::u16string& out);
// UTF-16 to bytes; escaped bytes come back as they were, other lone surrogates as U+FFFD.
std::string ToNative(std::u16string_view text);

// For display and for text that is not a file name.
inline std::string ToUtf8(std::u16string_view text) { return ToNative(text); }
inline std::u16string FromUtf8(std::string_view text) { return FromNative(text); }

// A path in the core's text as the standard library's path, and back, losing nothing: on
// POSIX through the bytes above, on Windows unit for unit. (The library's own conversions
// from narrow text assume no particular encoding on Windows.)
std::filesystem::path ToPath(std::u16string_view text);
std::u16string FromPath(const std::filesystem::path& path);

// Decimal text of a number, as the status texts write counts.
std::u16string DecimalText(std::int64_t value);

}  // namespace ferrowick

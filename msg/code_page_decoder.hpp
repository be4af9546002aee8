#pragma once
// One code page's decoder, made by the platform: iconv on POSIX, MultiByteToWideChar on
// Windows. Both know the same code pages under the same numbers.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ferrowick::msg {

class CodePageDecoder {
public:
    virtual ~CodePageDecoder() = default;
    // Bytes to UTF-16; each byte that cannot be decoded becomes one U+FFFD and `clean`
    // (when given) is cleared.
    virtual std::u16string Decode(std::string_view bytes, bool* clean) = 0;
};

// Null when the platform cannot decode `codePage`.
std::unique_ptr<CodePageDecoder> MakeCodePageDecoder(std::uint32_t codePage);

// MAPI's 8-bit strings are always in a Windows (ANSI) code page: the stateful 7-bit Internet
// encodings a message may name as its Internet code page (ISO-2022-JP and friends) stand for
// their language's ANSI code page, and Outlook's Latin-1 text is cp1252 in practice.
std::uint32_t AnsiCodePageFor(std::uint32_t codePage);

}  // namespace ferrowick::msg

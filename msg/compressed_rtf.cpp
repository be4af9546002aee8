// RTF decompression [MS-OXRTFCP 2.1.3.1 header, 2.1.2.1 dictionary, 3.1.1.1 decompression].
#include "msg/compressed_rtf.hpp"

#include <array>
#include <cctype>
#include <string_view>

namespace ferrowick::msg {
namespace {

constexpr std::uint32_t kCompressed = 0x75465A4C;    // "LZFu"
constexpr std::uint32_t kUncompressed = 0x414C454D;  // "MELA"
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kDictionarySize = 4096;

// The dictionary's initial contents [MS-OXRTFCP 2.1.2.1].
constexpr std::string_view kInitialDictionary =
    "{\\rtf1\\ansi\\mac\\deff0\\deftab720{\\fonttbl;}{\\f0\\fnil \\froman \\fswiss \\fmodern \\fscript "
    "\\fdecor MS Sans SerifSymbolArialTimes New RomanCourier{\\colortbl\\red0\\green0\\blue0\r\n\\par "
    "\\pard\\plain\\f0\\fs20\\b\\i\\u\\tab\\tx";
static_assert(kInitialDictionary.size() == 207);

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace

std::optional<std::string> DecompressRtfStart(std::span<const std::uint8_t> compressed, std::size_t limit) {
    if (compressed.size() < kHeaderSize) return std::nullopt;
    const std::uint32_t type = Le32(compressed, 8);
    // COMPSIZE counts the bytes after itself; a value past the end is cut to what is there.
    const std::size_t end = std::min<std::size_t>(compressed.size(), std::size_t{Le32(compressed, 0)} + 4);
    std::string out;
    if (type == kUncompressed) {
        for (std::size_t i = kHeaderSize; i < end && out.size() < limit; ++i)
            out.push_back(static_cast<char>(compressed[i]));
        return out;
    }
    if (type != kCompressed) return std::nullopt;

    std::array<char, kDictionarySize> dictionary{};
    std::copy(kInitialDictionary.begin(), kInitialDictionary.end(), dictionary.begin());
    std::size_t write = kInitialDictionary.size();
    std::size_t at = kHeaderSize;
    while (at < end && out.size() < limit) {
        const std::uint8_t control = compressed[at++];
        for (int bit = 0; bit < 8 && at < end && out.size() < limit; ++bit) {
            if ((control & (1 << bit)) == 0) {  // a literal byte
                const char c = static_cast<char>(compressed[at++]);
                out.push_back(c);
                dictionary[write] = c;
                write = (write + 1) % kDictionarySize;
                continue;
            }
            if (at + 2 > end) return out;
            const std::uint16_t reference = static_cast<std::uint16_t>((compressed[at] << 8) | compressed[at + 1]);
            at += 2;
            std::size_t offset = reference >> 4;
            const std::size_t length = (reference & 0x0F) + 2;
            if (offset == write) return out;  // the end marker
            for (std::size_t i = 0; i < length && out.size() < limit; ++i) {
                const char c = dictionary[offset];
                out.push_back(c);
                dictionary[write] = c;
                write = (write + 1) % kDictionarySize;
                offset = (offset + 1) % kDictionarySize;
            }
        }
    }
    return out;
}

namespace {

constexpr std::string_view kAnsiCodePageWord = "\\ansicpg";
constexpr std::size_t kMaxCodePageDigits = 6;

// The value after the first \ansicpg of `rtf`, when `rtf` holds all of it: nullopt when the word
// is absent or `rtf` ends before the number does (`complete` is then false).
std::optional<std::uint32_t> AnsiCodePageIn(std::string_view rtf, bool& complete) {
    complete = true;
    const std::size_t found = rtf.find(kAnsiCodePageWord);
    if (found == std::string_view::npos) {
        complete = false;
        return std::nullopt;
    }
    std::uint32_t value = 0;
    std::size_t i = found + kAnsiCodePageWord.size();
    const std::size_t first = i;
    while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i])) && i - first < kMaxCodePageDigits)
        value = value * 10 + static_cast<std::uint32_t>(rtf[i++] - '0');
    if (i == rtf.size() && i - first < kMaxCodePageDigits) complete = false;
    if (i == first || value == 0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::uint32_t> RtfAnsiCodePage(std::span<const std::uint8_t> compressed) {
    // The header's control words come before any text: the first few KB are enough, and the
    // code page is nearly always in the first few hundred bytes, so those are tried first.
    constexpr std::size_t kFirstTry = 512;
    constexpr std::size_t kHeaderLimit = 8192;
    bool complete = false;
    for (const std::size_t limit : {kFirstTry, kHeaderLimit}) {
        const auto rtf = DecompressRtfStart(compressed, limit);
        if (!rtf) return std::nullopt;
        const auto value = AnsiCodePageIn(*rtf, complete);
        if (complete || rtf->size() < limit || limit == kHeaderLimit) return value;
    }
    return std::nullopt;
}

}  // namespace ferrowick::msg

// 8-bit text to UTF-16 through the platform's decoder, one per code page, kept per thread.
#include "msg/code_page.hpp"

#include <map>
#include <memory>

#include "msg/code_page_decoder.hpp"

namespace ferrowick::msg {
namespace {

CodePageDecoder* DecoderFor(std::uint32_t codePage) {
    thread_local std::map<std::uint32_t, std::unique_ptr<CodePageDecoder>> cache;
    auto it = cache.find(codePage);
    if (it != cache.end()) return it->second.get();
    auto decoder = MakeCodePageDecoder(codePage);
    // Hostile files may name any number; only so many answers are remembered.
    constexpr std::size_t kMaxRemembered = 64;
    if (cache.size() >= kMaxRemembered) {
        thread_local std::unique_ptr<CodePageDecoder> last;
        last = std::move(decoder);
        return last.get();
    }
    return cache.emplace(codePage, std::move(decoder)).first->second.get();
}

}  // namespace

std::uint32_t AnsiCodePageFor(std::uint32_t codePage) {
    switch (codePage) {
        case 50220:
        case 50221:
        case 50222:
        case 51932:
        case 20932:
            return 932;
        case 50225:
        case 51949:
            return 949;
        case 50227:
        case 51936:
        case 52936:
            return 936;
        case 50229:
            return 950;
        case 28591:
            return 1252;
        default:
            return codePage;
    }
}

bool IsKnownCodePage(std::uint32_t codePage) { return DecoderFor(codePage) != nullptr; }

std::u16string DecodeCodePage(std::string_view bytes, std::uint32_t codePage) {
    CodePageDecoder* decoder = DecoderFor(codePage);
    if (!decoder) decoder = DecoderFor(kFallbackCodePage);
    if (!decoder) {  // no tables at all: Latin-1 is the least harm
        std::u16string out;
        for (unsigned char c : bytes) out.push_back(c);
        return out;
    }
    return decoder->Decode(bytes, nullptr);
}

std::u16string DecodeByFirstFitting(std::string_view bytes, const CodePages& codePages) {
    for (std::uint32_t codePage : codePages) {
        CodePageDecoder* decoder = DecoderFor(codePage);
        if (!decoder) continue;
        bool clean = false;
        std::u16string text = decoder->Decode(bytes, &clean);
        if (clean) return text;
    }
    return DecodeCodePage(bytes, codePages.empty() ? kFallbackCodePage : codePages.front());
}

}  // namespace ferrowick::msg

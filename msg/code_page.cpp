// 8-bit text to UTF-16 through iconv, one converter per code page, kept per thread.
#include "msg/code_page.hpp"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <memory>
#include <string>

namespace ferrowick::msg {
namespace {

// The iconv name of a Windows code page number. MAPI's 8-bit strings are always in a
// Windows (ANSI) code page: the stateful 7-bit Internet encodings a message may name as its
// Internet code page (ISO-2022-JP and friends) stand for their language's ANSI code page.
std::string IconvName(std::uint32_t codePage) {
    switch (codePage) {
        case 20127: return "ASCII";
        case 65001: return "UTF-8";
        case 65000: return "UTF-7";
        case 20866: return "KOI8-R";
        case 21866: return "KOI8-U";
        case 10000: return "MACINTOSH";
        case 54936: return "GB18030";
        case 50220: case 50221: case 50222: case 51932: case 20932: return "CP932";
        case 50225: case 51949: return "CP949";
        case 50227: case 51936: case 52936: case 936: return "CP936";
        case 50229: return "CP950";
        case 28591: return "WINDOWS-1252";  // Outlook's Latin-1 text is cp1252 in practice
        default: break;
    }
    if (codePage >= 28592 && codePage <= 28606) return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage >= 1250 && codePage <= 1258) return "WINDOWS-" + std::to_string(codePage);
    return "CP" + std::to_string(codePage);
}

class Converter {
public:
    explicit Converter(const std::string& name) : cd_(iconv_open("UTF-16LE", name.c_str())) {}
    ~Converter() {
        if (Usable()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // `clean` is cleared when a byte could not be decoded.
    std::u16string Convert(std::string_view bytes, bool* clean = nullptr) {
        if (clean) *clean = true;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::u16string out;
        std::string buffer(bytes.size() * 4 + 16, '\0');
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        while (inLeft > 0) {
            char* o = buffer.data();
            std::size_t oLeft = buffer.size();
            const std::size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
            Append(out, buffer.data(), buffer.size() - oLeft);
            if (r == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                // An invalid or incomplete sequence: one replacement character, skip one byte.
                if (clean) *clean = false;
                out.push_back(u'\uFFFD');
                ++in;
                --inLeft;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    static void Append(std::u16string& out, const char* p, std::size_t n) {
        for (std::size_t i = 0; i + 1 < n; i += 2)
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[i]) | (static_cast<unsigned char>(p[i + 1]) << 8)));
    }
    iconv_t cd_;
};

Converter* ConverterFor(std::uint32_t codePage) {
    thread_local std::map<std::uint32_t, std::unique_ptr<Converter>> cache;
    auto it = cache.find(codePage);
    if (it != cache.end()) return it->second.get();
    auto converter = std::make_unique<Converter>(IconvName(codePage));
    if (!converter->Usable()) converter.reset();
    // Hostile files may name any number; only so many answers are remembered.
    constexpr std::size_t kMaxRemembered = 64;
    if (cache.size() >= kMaxRemembered) {
        thread_local std::unique_ptr<Converter> last;
        last = std::move(converter);
        return last.get();
    }
    return cache.emplace(codePage, std::move(converter)).first->second.get();
}

}  // namespace

bool IsKnownCodePage(std::uint32_t codePage) { return ConverterFor(codePage) != nullptr; }

std::u16string DecodeCodePage(std::string_view bytes, std::uint32_t codePage) {
    Converter* converter = ConverterFor(codePage);
    if (!converter) converter = ConverterFor(kFallbackCodePage);
    if (!converter) {  // no iconv tables at all: Latin-1 is the least harm
        std::u16string out;
        for (unsigned char c : bytes) out.push_back(c);
        return out;
    }
    return converter->Convert(bytes);
}

std::u16string DecodeByFirstFitting(std::string_view bytes, const CodePages& codePages) {
    for (std::uint32_t codePage : codePages) {
        Converter* converter = ConverterFor(codePage);
        if (!converter) continue;
        bool clean = false;
        std::u16string text = converter->Convert(bytes, &clean);
        if (clean) return text;
    }
    return DecodeCodePage(bytes, codePages.empty() ? kFallbackCodePage : codePages.front());
}

}  // namespace ferrowick::msg

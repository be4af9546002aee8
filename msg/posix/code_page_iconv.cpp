// Code pages through iconv, under iconv's names for them.
#include <iconv.h>

#include <cerrno>

#include "msg/code_page_decoder.hpp"

namespace ferrowick::msg {
namespace {

std::string IconvName(std::uint32_t codePage) {
    switch (codePage) {
        case 20127:
            return "ASCII";
        case 65001:
            return "UTF-8";
        case 65000:
            return "UTF-7";
        case 20866:
            return "KOI8-R";
        case 21866:
            return "KOI8-U";
        case 10000:
            return "MACINTOSH";
        case 54936:
            return "GB18030";
        default:
            break;
    }
    if (codePage >= 28592 && codePage <= 28606) return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage >= 1250 && codePage <= 1258) return "WINDOWS-" + std::to_string(codePage);
    return "CP" + std::to_string(codePage);
}

class IconvDecoder final : public CodePageDecoder {
public:
    explicit IconvDecoder(iconv_t cd) : cd_(cd) {}
    ~IconvDecoder() override { iconv_close(cd_); }
    IconvDecoder(const IconvDecoder&) = delete;
    IconvDecoder& operator=(const IconvDecoder&) = delete;

    std::u16string Decode(std::string_view bytes, bool* clean) override {
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
            out.push_back(
                static_cast<char16_t>(static_cast<unsigned char>(p[i]) | (static_cast<unsigned char>(p[i + 1]) << 8)));
    }
    iconv_t cd_;
};

}  // namespace

std::unique_ptr<CodePageDecoder> MakeCodePageDecoder(std::uint32_t codePage) {
    const iconv_t cd = iconv_open("UTF-16LE", IconvName(AnsiCodePageFor(codePage)).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return std::make_unique<IconvDecoder>(cd);
}

}  // namespace ferrowick::msg

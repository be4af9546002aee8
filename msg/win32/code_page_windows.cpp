// Code pages through MultiByteToWideChar, under their own numbers.
#include <windows.h>

#include <climits>

#include "msg/code_page_decoder.hpp"

namespace ferrowick::msg {
namespace {

// The longest byte sequence of one character in any code page Windows knows (GB18030).
constexpr int kLongestSequence = 4;

class WindowsDecoder final : public CodePageDecoder {
public:
    explicit WindowsDecoder(UINT codePage) : codePage_(codePage) {}

    std::u16string Decode(std::string_view bytes, bool* clean) override {
        if (clean) *clean = true;
        std::u16string out;
        if (bytes.empty()) return out;
        if (bytes.size() < INT_MAX / 2 && Strict(bytes, out)) return out;
        // Some byte does not decode: character by character, the shortest sequence that does,
        // one U+FFFD for a byte that starts none.
        out.clear();
        std::size_t at = 0;
        while (at < bytes.size()) {
            bool decoded = false;
            for (int length = 1; length <= kLongestSequence && at + length <= bytes.size() && !decoded; ++length)
                decoded = Strict(bytes.substr(at, length), out) && (at += length, true);
            if (!decoded) {
                if (clean) *clean = false;
                out.push_back(u'\uFFFD');
                ++at;
            }
        }
        return out;
    }

private:
    // Appends the whole of `bytes`, or nothing when one of them does not decode.
    bool Strict(std::string_view bytes, std::u16string& out) const {
        // UTF-7 takes no flags; its every byte decodes to something.
        const DWORD flags = codePage_ == CP_UTF7 ? 0 : MB_ERR_INVALID_CHARS;
        const int n = static_cast<int>(bytes.size());
        const int wide = MultiByteToWideChar(codePage_, flags, bytes.data(), n, nullptr, 0);
        if (wide <= 0) return false;
        const std::size_t from = out.size();
        out.resize(from + static_cast<std::size_t>(wide));
        if (MultiByteToWideChar(codePage_, flags, bytes.data(), n, reinterpret_cast<wchar_t*>(out.data() + from),
                                wide) != wide) {
            out.resize(from);
            return false;
        }
        return true;
    }

    UINT codePage_;
};

}  // namespace

std::unique_ptr<CodePageDecoder> MakeCodePageDecoder(std::uint32_t codePage) {
    const std::uint32_t ansi = AnsiCodePageFor(codePage);
    // Below 37 (the first EBCDIC page) are the placeholders for "this system's code page".
    if (ansi < 37 || ansi > 0xFFFF || !IsValidCodePage(static_cast<UINT>(ansi))) return nullptr;
    return std::make_unique<WindowsDecoder>(static_cast<UINT>(ansi));
}

}  // namespace ferrowick::msg

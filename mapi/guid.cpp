// [MS-DTYP 2.3.4.2] GUID packet representation.
#include "mapi/guid.hpp"

#include <cstdio>

namespace ferrowick::mapi {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Guid> Guid::Parse(std::string_view t) {
    if (t.size() == 38 && t.front() == '{' && t.back() == '}') t = t.substr(1, 36);
    if (t.size() != 36 || t[8] != '-' || t[13] != '-' || t[18] != '-' || t[23] != '-') return std::nullopt;
    std::array<std::uint8_t, 16> text{};  // in the order the text writes them
    std::size_t n = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '-') continue;
        const int hi = HexValue(t[i]), lo = i + 1 < t.size() ? HexValue(t[i + 1]) : -1;
        if (hi < 0 || lo < 0) return std::nullopt;
        text[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
        ++i;
    }
    // The first three groups are little-endian numbers in the wire form.
    constexpr int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    Guid g;
    for (int i = 0; i < 16; ++i) g.bytes[i] = text[kOrder[i]];
    return g;
}

std::string Guid::ToString() const {
    const auto& b = bytes;
    char out[40];
    std::snprintf(out, sizeof out, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3], b[2],
                  b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return out;
}

}  // namespace ferrowick::mapi

#include "fs/listing_order.hpp"

#include <algorithm>

namespace ferrowick::fs {
int ListingRank(std::u16string_view name) {
    if (name == u".") return 0;
    if (name == u"..") return 1;
    return 2;
}

char16_t UpperCaseUnit(char16_t c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capital/small; the middle stretch starts on an odd unit.
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddPairs) return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
        return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? char16_t{0x3A3} : static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);  // full-width a..z
    return c;
}

bool ListsBefore(std::u16string_view a, std::u16string_view b) {
    const int rankA = ListingRank(a), rankB = ListingRank(b);
    if (rankA != rankB) return rankA < rankB;
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t upperA = UpperCaseUnit(a[i]), upperB = UpperCaseUnit(b[i]);
        if (upperA != upperB) return upperA < upperB;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

void AppendListingKey(std::u16string_view name, std::string& keys) {
    std::size_t at = keys.size();
    keys.resize(at + 2 * name.size());
    for (const char16_t unit : name) {
        const char16_t upper = UpperCaseUnit(unit);
        keys[at++] = static_cast<char>(upper >> 8);
        keys[at++] = static_cast<char>(upper & 0xFF);
    }
}

}  // namespace ferrowick::fs

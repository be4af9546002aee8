#include "fs/listing_order.hpp"

namespace ferrowick::fs {
namespace {

int DotRank(std::u16string_view name) {
    if (name == u".") return 0;
    if (name == u"..") return 1;
    return 2;
}

}  // namespace

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
    return c;
}

std::u16string ListingKey(std::u16string_view name) {
    std::u16string key(name);
    for (char16_t& c : key) c = UpperCaseUnit(c);
    return key;
}

bool ListsBefore(std::u16string_view nameA, std::u16string_view keyA,
                 std::u16string_view nameB, std::u16string_view keyB) {
    const int rankA = DotRank(nameA), rankB = DotRank(nameB);
    if (rankA != rankB) return rankA < rankB;
    if (keyA != keyB) return keyA < keyB;
    return nameA < nameB;
}

}  // namespace ferrowick::fs

// [MS-CFB 2.6.4] Red-Black Tree: sibling ordering.
#include "msg/cfb/entry_name.hpp"

namespace ferrowick::msg::cfb {

char16_t UpperCaseForNames(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capital/small on even/odd code units, shifted by one in
        // 0x139..0x148 and 0x179..0x17E; U+0131 (dotless i) and U+0138 (kra) have no pair.
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        const bool shifted = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool small = shifted ? (c % 2 == 0) : (c % 2 == 1);
        return small ? static_cast<char16_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
    return c;
}

int CompareEntryNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char16_t x = UpperCaseForNames(a[i]);
        const char16_t y = UpperCaseForNames(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

}  // namespace ferrowick::msg::cfb

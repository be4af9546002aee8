#pragma once
#include <string>

namespace ferrowick {

// Leading and trailing blanks off (blanks only, as typed paths are trimmed).
inline std::u16string TrimBlanks(const std::u16string& text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

}  // namespace ferrowick

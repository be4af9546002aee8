#include "store/upper_case.hpp"

#include <locale.h>
#include <wctype.h>

namespace ferrowick {

char16_t SimpleUpperCase(char16_t c) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    if (!utf8) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    const wint_t upper = towupper_l(static_cast<wint_t>(c), utf8);
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
}

}  // namespace ferrowick

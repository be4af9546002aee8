#include "store/upper_case.hpp"

#include <windows.h>

namespace ferrowick {

char16_t SimpleUpperCase(char16_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    // The invariant locale: no language's special casing (Turkish dotted i and the like).
    wchar_t in = static_cast<wchar_t>(c), out = in;
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &in, 1, &out, 1, nullptr, nullptr, 0) != 1) return c;
    return static_cast<char16_t>(out);
}

}  // namespace ferrowick

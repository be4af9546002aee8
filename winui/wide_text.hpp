#pragma once
// The run's texts are UTF-16 and so is wchar_t on Windows: the two convert by copying.
#include <string>

namespace ferrowick::winui {

inline std::wstring W(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string U(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace ferrowick::winui

#pragma once
// The core keeps text as UTF-16; Qt does too, so the conversion is a copy.
#include <QString>
#include <string>

namespace ferrowick::ui {

inline QString Q(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string U(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

// A label shows "&&" as one ampersand and a single "&" as the underline mark of the next
// letter, which a plain QLabel does not do: drop the marks and keep the doubled ones.
QString MnemonicLabelText(const QString& text);

}  // namespace ferrowick::ui

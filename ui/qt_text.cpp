#include "ui/qt_text.hpp"

namespace ferrowick::ui {

QString MnemonicLabelText(const QString& text) {
    if (!text.contains(QLatin1Char('&'))) return text;
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;  // "&x" shows x, "&&" shows &
        shown += text[i];
    }
    return shown;
}

}  // namespace ferrowick::ui

#include "ui/wizard_fonts.hpp"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace ferrowick::ui {
namespace {

// fontconfig does not search Wine's folder, so the files are loaded by path.
const char* const kTahomaFiles[] = {"/usr/share/wine/fonts/tahoma.ttf",
                                    "/usr/share/wine/fonts/tahomabd.ttf"};

bool loaded = false;
bool haveTahoma = false;

}  // namespace

void LoadWizardFonts() {
    if (loaded) return;
    loaded = true;
    for (const char* path : kTahomaFiles) {
        if (!QFile::exists(QString::fromLatin1(path))) continue;
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
        if (id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Tahoma")))
            haveTahoma = true;
    }
}

bool HaveFreeTahoma() {
    LoadWizardFonts();
    return haveTahoma;
}

QFont WizardFont(Face face, double points, bool bold) {
    const QString family = (face == Face::Tahoma && HaveFreeTahoma()) ? QStringLiteral("Tahoma")
                                                                      : QStringLiteral("DejaVu Sans");
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace ferrowick::ui

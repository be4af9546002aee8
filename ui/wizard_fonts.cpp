#include "ui/wizard_fonts.hpp"

namespace ferrowick::ui {
namespace {

// DejaVu's glyphs are wider and taller than the designed faces' at the same size.
constexpr double kVerdanaScale = 0.88;
constexpr double kTahomaScale = 0.9;

}  // namespace

void LoadWizardFonts() {}

QFont WizardFont(Face face, double points, bool bold) {
    const bool verdana = face == Face::Verdana;
    QFont font(verdana ? QStringLiteral("DejaVu Sans") : QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points * (verdana ? kVerdanaScale : kTahomaScale));
    font.setBold(bold);
    return font;
}

}  // namespace ferrowick::ui

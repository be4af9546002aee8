#pragma once
// The windows are designed in Verdana and Tahoma, which are not free. DejaVu Sans stands
// in for Verdana (the same Bitstream Vera proportions) and DejaVu Sans Condensed for the
// narrower Tahoma, each a little smaller so that every caption keeps to its control in
// both weights. Wine's free Tahoma is not used: its bold draws at regular weight and
// leaves a wide gap after every "/", so paths and bold captions read wrongly.
#include <QFont>

namespace ferrowick::ui {

enum class Face { Verdana, Tahoma };

// Nothing to register today: both families come from Debian's fonts-dejavu packages.
// Kept so the wizard has one place to set fonts up before its first window.
void LoadWizardFonts();

QFont WizardFont(Face face, double points, bool bold = false);

}  // namespace ferrowick::ui

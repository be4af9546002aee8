#pragma once
// The windows are drawn in Verdana and Tahoma, which are not free. DejaVu Sans stands in
// for Verdana (same Bitstream Vera proportions); Wine's free Tahoma is used when Debian's
// fonts-wine is installed, else DejaVu Sans again.
#include <QFont>

namespace ferrowick::ui {

enum class Face { Verdana, Tahoma };

// Registers Wine's Tahoma with the application; safe to call more than once.
void LoadWizardFonts();
bool HaveFreeTahoma();

QFont WizardFont(Face face, double points, bool bold = false);

}  // namespace ferrowick::ui

#pragma once
// "Are you sure you want to exit now?", asked when the start or the status window closes.
class QWidget;

namespace ferrowick::ui {

// True when the user answers Yes.
bool ConfirmExit(QWidget* parent);

}  // namespace ferrowick::ui

#pragma once
// Entry point of the headless command line.

namespace ferrowick::cli {

int RunCommandLine(int argc, char** argv);

// Whether the environment names a display the wizard can open on (an X or Wayland
// display, or a Qt platform chosen explicitly).
bool WizardHasDisplay();
// Says in one line that the wizard needs a display and where the command line is
// documented; returns the usage exit status.
int NoDisplayForWizard();

}  // namespace ferrowick::cli

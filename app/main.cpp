// ferrowick: with no arguments the wizard opens; with a command the command line runs.
#include "cli/command_line.hpp"

#ifdef FERROWICK_HAS_GUI
#include "ui/wizard_main.hpp"
#endif

int main(int argc, char** argv) {
#ifdef FERROWICK_HAS_GUI
    if (argc < 2) return ferrowick::ui::RunWizard(argc, argv);
#endif
    return ferrowick::cli::RunCommandLine(argc, argv);
}

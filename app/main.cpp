// ferrowick: with no arguments the wizard opens; with a command the command line runs.
#include "cli/command_line.hpp"

#ifdef FERROWICK_HAS_GUI
#include "store/pst_store_service.hpp"
#include "ui/wizard_main.hpp"
#endif

int main(int argc, char** argv) {
#ifdef FERROWICK_HAS_GUI
    if (argc < 2) {
        if (!ferrowick::cli::WizardHasDisplay()) return ferrowick::cli::NoDisplayForWizard();
        ferrowick::PstStoreService store;
        return ferrowick::ui::RunWizard(argc, argv, &store);
    }
#endif
    return ferrowick::cli::RunCommandLine(argc, argv);
}

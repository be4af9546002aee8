// ferrowick: with no arguments the wizard opens; with a command the command line runs.
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "cli/program_arguments.hpp"

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
    std::vector<std::string> arguments = ferrowick::cli::ProgramArguments(argc, argv);
    std::vector<char*> utf8;
    for (std::string& a : arguments) utf8.push_back(a.data());
    utf8.push_back(nullptr);
    return ferrowick::cli::RunCommandLine(argc, utf8.data());
}

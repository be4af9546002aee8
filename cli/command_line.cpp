#include "cli/command_line.hpp"
#include "cli/console_output.hpp"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "cli/commands.hpp"

namespace ferrowick::cli {
namespace {

constexpr const char* kDescription =
    "Converts folder trees of Outlook .msg files into Unicode .pst files.\n"
    "With no command, opens the wizard (which needs a display).";

constexpr const char* kFooter =
    "Exit status: 0 success, 1 some files not converted (or a damaged store for check),\n"
    "2 usage error or missing input, 128+N stopped by signal N (130 Ctrl-C, 143 SIGTERM,\n"
    "129 SIGHUP). Run 'ferrowick COMMAND --help' for a command's options.";

// Usage errors: one line naming the problem and where to read more, on stderr.
int UsageError(const CLI::App& app, const CLI::ParseError& error) {
    std::string name = "ferrowick";
    std::string help = "ferrowick --help";
    for (const CLI::App* sub : app.get_subcommands()) {
        name += " " + sub->get_name();
        help = "ferrowick " + sub->get_name() + " --help";
    }
    PrintTo(stderr, "%s: %s\nRun '%s' for usage.\n", name.c_str(), error.what(), help.c_str());
    return kExitUsage;
}

}  // namespace

bool WizardHasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return true;
    return false;
}

int NoDisplayForWizard() {
    WriteText(stderr,
              "ferrowick: the wizard needs a display (DISPLAY and WAYLAND_DISPLAY are unset); "
              "for the command line see 'ferrowick --help'.\n");
    return kExitUsage;
}

int RunCommandLine(int argc, char** argv) {
    CLI::App app(kDescription, "ferrowick");
    app.footer(kFooter);
    app.set_version_flag("-V,--version", std::string("ferrowick ") + FERROWICK_VERSION);
    app.require_subcommand(1);
    app.get_formatter()->column_width(34);
    CommandAction action;
    AddConvertCommand(app, action);
    AddInspectCommand(app, action);
    AddCheckCommand(app, action);
    AddScanCommand(app, action);
    AddSampleCommand(app, action);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        WriteText(stdout, app.help());
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        WriteText(stdout, app.help("", CLI::AppFormatMode::All));
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        PrintTo(stdout, "%s\n", e.what());
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        return UsageError(app, e);
    }
    return action ? action() : kExitUsage;
}

}  // namespace ferrowick::cli

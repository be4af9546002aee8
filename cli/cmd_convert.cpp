// `ferrowick convert`: the same run driver and engine as the wizard, with the seams on the
// terminal. Progress goes to standard error, the last lines to standard output, and the
// report, when asked for, to a new JSON file.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "cli/argument_paths.hpp"
#include "cli/commands.hpp"
#include "cli/console_output.hpp"
#include "cli/parallel_folders.hpp"
#include "cli/run_outcome.hpp"
#include "cli/terminal_interrupt.hpp"
#include "cli/terminal_prompts.hpp"
#include "cli/terminal_selection.hpp"
#include "cli/terminal_status_board.hpp"
#include "fs/path_separator.hpp"
#include "fs/text.hpp"
#include "run/run_driver.hpp"
#include "run/scan_folder.hpp"
#include "seams/clock.hpp"
#include "seams/silent_status_board.hpp"
#include "store/pst_store_service.hpp"

namespace ferrowick::cli {
namespace {

constexpr const char* kConvertFooter =
    "Converts the .msg files of the folder tree SOURCE into OUTPUT.pst, or with --multiple\n"
    "each direct sub-folder of ROOT (all, or only those named) into OUTPUT_DIR/NAME.pst.\n"
    "A missing OUTPUT.pst is created as a new Unicode .pst. An existing .pst is opened and\n"
    "the messages are added to it, whichever program wrote it, and its name is kept; a .pst\n"
    "that is damaged or that another program is writing, and an existing file that is not\n"
    "a .pst, are never touched (exit 2).\n"
    "Ctrl-C, SIGTERM and SIGHUP stop the run: what was converted is kept, the rest is listed.\n"
    "\n"
    "Exit status: 0 every file converted, 1 some files not converted (listed with reasons),\n"
    "2 usage error, missing input, or a store that could not be created or opened\n"
    "(damaged or in use),\n"
    "130/143/129 stopped by Ctrl-C/SIGTERM/SIGHUP.";

constexpr const char* kStoppedReason = "not converted: the run was stopped";

struct ConvertOptions {
    std::string source;  // SOURCE, or ROOT with --multiple
    std::string output;  // OUTPUT.pst, or OUTPUT_DIR with --multiple
    bool multiple = false;
    std::vector<std::string> only;
    unsigned jobs = 1;
    std::string report;
};

int UsageProblem(const std::string& problem) {
    PrintTo(stderr, "ferrowick convert: %s\nRun 'ferrowick convert --help' for usage.\n", problem.c_str());
    return kExitUsage;
}

// A Stop leaves the rest of its folder's queue and any later folders unconverted: they
// are listed as such, so the last lines and the report account for every file.
void AddFilesLeftByStop(RunOutcome& outcome, const RunState& state, const TerminalSelection& selection,
                        const std::vector<FolderRow>& chosen, const std::u16string& store) {
    if (!state.Report.folders.empty()) {
        const FolderReport& last = state.Report.folders.back();
        outcome.AddUnrecorded(state.MessageQueue, ToUtf8(last.folderPath), ToUtf8(last.outputPstPath), kStoppedReason);
    }
    std::set<std::u16string> reached;
    for (const FolderReport& folder : state.Report.folders) reached.insert(folder.folderPath);
    for (const FolderRow& row : chosen) {
        if (reached.contains(row.Path)) continue;
        outcome.AddUnrecorded(ListFolderTree(row.Path), ToUtf8(row.Path),
                              ToUtf8(store.empty() ? StoreForRow(selection.OutputFolder(), row) : store),
                              kStoppedReason);
    }
}

RunOutcome RunHere(TerminalSelection selection, std::optional<std::u16string> outputPath,
                   const std::vector<FolderRow>& chosen) {
    const std::u16string singleStore = outputPath.value_or(u"");
    RunState state;
    TerminalStatusBoard board(stderr, IsTerminal(stderr));
    TerminalYielder yielder(state.Flags);
    TerminalPrompts prompts(stderr, std::move(outputPath), state.OutputPstPath);
    PstStoreService service;
    SystemClock clock;
    RunSeams seams{board, yielder, prompts, selection, service, clock};
    StartConversionClick(state, seams);
    board.Finish();

    RunOutcome outcome;
    outcome.multiple = !selection.OptSingle();
    for (const FolderRow& row : chosen) outcome.sources.push_back(ToUtf8(row.Path));
    outcome.Add(state.Report);
    outcome.storeFailures = prompts.StoreFailures();
    outcome.signal = InterruptGuard::Signal();
    if (outcome.signal != 0 || state.Flags.StopRequested)
        AddFilesLeftByStop(outcome, state, selection, chosen, singleStore);
    return outcome;
}

int Finish(const ConvertOptions& options, RunOutcome outcome) {
    // A signal that arrives after the engine's last check still makes the run a stopped one.
    if (outcome.signal == 0) outcome.signal = InterruptGuard::Signal();
    PrintLastLines(stdout, outcome);
    std::fflush(stdout);
    if (!options.report.empty()) {
        if (const std::string why = WriteReportFile(options.report, outcome); !why.empty()) {
            PrintTo(stderr, "ferrowick convert: the report %s could not be written: %s\n", options.report.c_str(),
                    why.c_str());
            return outcome.ExitStatus() == kExitOk ? kExitUsage : outcome.ExitStatus();
        }
    }
    return outcome.ExitStatus();
}

int Convert(const ConvertOptions& options) {
    const InterruptGuard interrupts;  // for the whole command, last lines and report included
    if (!options.report.empty()) {
        const std::filesystem::path folder = std::filesystem::absolute(PathFromUtf8(options.report)).parent_path();
        if (!std::filesystem::is_directory(folder))
            return UsageProblem("the report's folder " + Utf8Of(folder) + " does not exist");
    }
    const std::u16string source = FolderArgument(options.source);
    if (!options.multiple) {
        if (!options.only.empty() || options.jobs != 1) return UsageProblem("--only and --jobs need --multiple");
        const std::u16string output =
            FromUtf8(Utf8Of(std::filesystem::absolute(PathFromUtf8(options.output)).lexically_normal()));
        const std::vector<FolderRow> chosen{FolderRow{true, {}, source}};
        return Finish(options, RunHere(TerminalSelection::Single(source), output, chosen));
    }

    const std::u16string outputFolder = FolderArgument(options.output);
    if (!std::filesystem::is_directory(PathFromUtf8(options.output)))
        return UsageProblem("'" + options.output + "' is not a folder");
    std::vector<FolderRow> rows = SubfolderRows(source);
    std::set<std::u16string> wanted;
    for (const auto& name : options.only) wanted.insert(FromNative(name));
    for (const auto& name : wanted)
        if (std::none_of(rows.begin(), rows.end(), [&](const FolderRow& r) { return r.Text == name; }))
            return UsageProblem("'" + ToUtf8(name) + "' is not a sub-folder of " + options.source);
    std::vector<FolderRow> chosen;
    for (FolderRow& row : rows) {
        row.Checked = wanted.empty() || wanted.contains(row.Text);
        if (row.Checked) chosen.push_back(row);
    }
    if (options.jobs > 1 && chosen.size() > 1) {
        RunOutcome outcome = ConvertInParallel(ToUtf8(source), ToUtf8(outputFolder), chosen, options.jobs);
        return Finish(options, std::move(outcome));
    }
    return Finish(options, RunHere(TerminalSelection::Multiple(std::move(rows), outputFolder), std::nullopt, chosen));
}

}  // namespace

KeyedQueue ListFolderTree(const std::u16string& folder) {
    RunSettings settings;
    settings.SourceFolder = folder;
    settings.NextMessageNumber = 1;
    KeyedQueue messages, folders;
    SilentBoard board;
    NoWindowYielder yielder;
    ScanFolder(settings.SourceFolder, u"*.*", settings.NextMessageNumber, settings.NextFolderNumber, messages, folders,
               board, yielder);
    return messages;
}

std::u16string StoreForRow(const std::u16string& outputFolder, const FolderRow& row) {
    return outputFolder + fs::kPathSeparator + row.Text + u".pst";
}

void AddConvertCommand(CLI::App& app, CommandAction& action) {
    auto options = std::make_shared<ConvertOptions>();
    CLI::App* sub = app.add_subcommand("convert", "convert a folder tree of .msg files into .pst files");
    sub->footer(
        std::string(
            "Forms:\n"
            "  ferrowick convert SOURCE OUTPUT.pst [--report FILE.json]\n"
            "  ferrowick convert --multiple ROOT OUTPUT_DIR [--only NAME]... [--jobs N] [--report FILE.json]\n\n") +
        kConvertFooter);
    sub->add_option("SOURCE", options->source, "the folder tree to convert (ROOT with --multiple)")
        ->required()
        ->check(ExistingFolderArgument());
    sub->add_option("OUTPUT", options->output, "the .pst to write (OUTPUT_DIR with --multiple)")->required();
    CLI::Option* multiple =
        sub->add_flag("--multiple", options->multiple, "one .pst per direct sub-folder of ROOT, named after it");
    sub->add_option("--only", options->only, "convert only this sub-folder of ROOT (repeatable)")
        ->type_name("NAME")
        ->needs(multiple);
    sub->add_option("--jobs", options->jobs, "convert up to N sub-folders at a time (default 1: one after another)")
        ->type_name("N")
        ->check(CLI::Range(1u, 64u))
        ->needs(multiple);
    sub->add_option("--report", options->report, "write a JSON record of every source file to a new FILE.json")
        ->type_name("FILE.json")
        ->check(NewPathArgument());
    sub->callback([options, &action] { action = [options] { return Convert(*options); }; });
}

}  // namespace ferrowick::cli

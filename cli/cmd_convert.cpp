// `ferrowick convert`: the same run driver and engine as the wizard, with the seams on the
// terminal. Exit 0 when every message file converted, 1 when some did not, 2 for usage
// errors and stores that could not be created.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "cli/commands.hpp"
#include "cli/terminal_interrupt.hpp"
#include "cli/terminal_prompts.hpp"
#include "cli/terminal_selection.hpp"
#include "cli/terminal_status_board.hpp"
#include "fs/existence.hpp"
#include "fs/text.hpp"
#include "run/clock.hpp"
#include "run/run_driver.hpp"
#include "store/pst_store_service.hpp"

namespace ferrowick::cli {
namespace {

constexpr const char* kConvertUsage =
    "Usage: ferrowick convert SOURCE OUTPUT.pst\n"
    "       ferrowick convert --multiple ROOT OUTPUT_DIR [--only NAME]...\n"
    "\n"
    "Converts the .msg files of the folder tree SOURCE into the new Unicode .pst OUTPUT.pst,\n"
    "or each direct sub-folder of ROOT (all, or only those named) into OUTPUT_DIR/NAME.pst.\n"
    "An existing .pst written by this program is added to; other existing files are never\n"
    "touched. Ctrl-C stops the run and keeps what was converted so far.\n"
    "\n"
    "Exit status: 0 every file converted, 1 some files not converted, 2 usage error or a\n"
    "store that could not be created.\n";

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "ferrowick convert: %s\n\n", problem);
    std::fputs(kConvertUsage, stderr);
    return kExitUsage;
}

// Paths as the engine expects them: absolute, without a trailing separator.
std::u16string FolderArgument(const std::string& arg) {
    std::filesystem::path p = std::filesystem::absolute(arg).lexically_normal();
    std::string text = p.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return FromNative(text);
}

void PrintNotConverted(const RunState& state) {
    if (state.Report.NotConvertedCount() == 0) return;
    std::fprintf(stderr, "Files not converted (%zu):\n%s\n", state.Report.NotConvertedCount(),
                 ToUtf8(state.Report.FailureDetails()).c_str());
}

int Run(TerminalSelection selection, std::optional<std::u16string> outputPath) {
    RunState state;
    TerminalStatusBoard board(stderr, ::isatty(STDERR_FILENO) != 0);
    TerminalYielder yielder(state.Flags);
    TerminalPrompts prompts(stdout, stderr, std::move(outputPath));
    PstStoreService service;
    SystemClock clock;
    RunSeams seams{board, yielder, prompts, selection, service, clock};
    StartConversion_Click(state, seams);
    board.Finish();
    PrintNotConverted(state);
    if (prompts.StoreFailed()) return kExitUsage;
    return state.Report.NotConvertedCount() == 0 ? kExitOk : kExitSomeFailed;
}

int ConvertSingle(const std::string& source, const std::string& output) {
    const std::u16string sourceFolder = FolderArgument(source);
    if (!fs::FolderExists(sourceFolder)) return Usage(("'" + source + "' is not a folder").c_str());
    std::u16string outputPath = FromNative(std::filesystem::absolute(output).lexically_normal().string());
    return Run(TerminalSelection::Single(sourceFolder), outputPath);
}

int ConvertMultiple(const std::string& root, const std::string& outputDir, const std::vector<std::string>& only) {
    const std::u16string rootFolder = FolderArgument(root);
    const std::u16string outputFolder = FolderArgument(outputDir);
    if (!fs::FolderExists(rootFolder)) return Usage(("'" + root + "' is not a folder").c_str());
    if (!fs::FolderExists(outputFolder)) return Usage(("'" + outputDir + "' is not a folder").c_str());
    std::vector<FolderRow> rows = SubfolderRows(rootFolder);
    std::set<std::u16string> wanted;
    for (const auto& name : only) wanted.insert(FromNative(name));
    for (const auto& name : wanted)
        if (std::none_of(rows.begin(), rows.end(), [&](const FolderRow& r) { return r.Text == name; }))
            return Usage(("'" + ToUtf8(name) + "' is not a sub-folder of " + root).c_str());
    for (FolderRow& row : rows) row.Checked = wanted.empty() || wanted.contains(row.Text);
    return Run(TerminalSelection::Multiple(std::move(rows), outputFolder), std::nullopt);
}

}  // namespace

int CmdConvert(const Args& args) {
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
        std::fputs(kConvertUsage, stdout);
        return kExitOk;
    }
    if (!args.empty() && args[0] == "--multiple") {
        std::vector<std::string> positional, only;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--only") {
                if (i + 1 >= args.size()) return Usage("--only needs a folder name");
                only.push_back(args[++i]);
            } else if (!args[i].empty() && args[i][0] == '-') {
                return Usage(("unknown option " + args[i]).c_str());
            } else {
                positional.push_back(args[i]);
            }
        }
        if (positional.size() != 2) return Usage("--multiple needs ROOT and OUTPUT_DIR");
        return ConvertMultiple(positional[0], positional[1], only);
    }
    if (args.size() != 2) return Usage(args.empty() ? nullptr : "expected SOURCE and OUTPUT.pst");
    for (const auto& a : args)
        if (!a.empty() && a[0] == '-') return Usage(("unknown option " + a).c_str());
    return ConvertSingle(args[0], args[1]);
}

}  // namespace ferrowick::cli

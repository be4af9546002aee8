// `ferrowick check FILE.pst`: the strict structural check. Exit 0 when sound (leaked space
// is listed but allowed), 1 with the findings listed when damaged, 2 for usage errors and
// files that cannot be checked at all.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/argument_paths.hpp"
#include "cli/commands.hpp"
#include "cli/console_output.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::cli {

namespace {

int Check(const std::string& file) {
    pst::Findings findings;
    try {
        findings = pst::CheckPstFile(PathFromUtf8(file));
    } catch (const pst::PstError& e) {
        PrintTo(stderr, "ferrowick check: %s: %s\n", file.c_str(), e.what());
        return kExitUsage;
    }
    std::size_t corruption = 0;
    for (const pst::Finding& f : findings) {
        const bool leak = f.severity == pst::Severity::Leak;
        corruption += leak ? 0 : 1;
        PrintTo(stdout, "%s %s: %s: %s\n", leak ? "leak" : "error", f.kind.c_str(), f.where.c_str(), f.what.c_str());
    }
    if (corruption == 0) {
        PrintTo(stdout, "%s: sound (%zu leak findings)\n", file.c_str(), findings.size());
        return kExitOk;
    }
    PrintTo(stdout, "%s: %zu problems found\n", file.c_str(), corruption);
    return kExitSomeFailed;
}

}  // namespace

void AddCheckCommand(CLI::App& app, CommandAction& action) {
    auto file = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("check", "strict structural check of a .pst");
    sub->footer(
        "Exit status: 0 sound (leaked space is listed but allowed), 1 damaged (the findings are\n"
        "listed), 2 usage error or a file that cannot be checked at all.");
    sub->add_option("FILE.pst", *file, "the store to check")->required()->check(ExistingFileArgument());
    sub->callback([file, &action] { action = [file] { return Check(*file); }; });
}

}  // namespace ferrowick::cli

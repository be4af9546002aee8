// `ferrowick check FILE.pst`: the strict structural check. Exit 0 when sound (leaked space
// is listed but allowed), 1 with the findings listed when damaged, 2 for usage errors and
// files that cannot be checked at all.
#include <cstdio>
#include <string>

#include "cli/commands.hpp"
#include "pst/check/pst_checker.hpp"
#include "pst/pst_error.hpp"

namespace ferrowick::cli {

int CmdCheck(const Args& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fputs("Usage: ferrowick check FILE.pst\n", stderr);
        return kExitUsage;
    }
    pst::Findings findings;
    try {
        findings = pst::CheckPstFile(args[0]);
    } catch (const pst::PstError& e) {
        std::fprintf(stderr, "ferrowick check: %s: %s\n", args[0].c_str(), e.what());
        return kExitUsage;
    }
    std::size_t corruption = 0;
    for (const pst::Finding& f : findings) {
        const bool leak = f.severity == pst::Severity::Leak;
        corruption += leak ? 0 : 1;
        std::printf("%s %s: %s: %s\n", leak ? "leak" : "error", f.kind.c_str(), f.where.c_str(), f.what.c_str());
    }
    if (corruption == 0) {
        std::printf("%s: sound (%zu leak findings)\n", args[0].c_str(), findings.size());
        return kExitOk;
    }
    std::printf("%s: %zu problems found\n", args[0].c_str(), corruption);
    return kExitSomeFailed;
}

}  // namespace ferrowick::cli

#include <cstdio>

#include "cli/commands.hpp"

namespace ferrowick::cli {

int CmdInspect(const Args&) {
    std::fputs("ferrowick inspect: not available in this build yet\n", stderr);
    return kExitUsage;
}

}  // namespace ferrowick::cli

#include <cstdio>

#include "cli/commands.hpp"

namespace ferrowick::cli {

int CmdCheck(const Args&) {
    std::fputs("ferrowick check: not available in this build yet\n", stderr);
    return kExitUsage;
}

}  // namespace ferrowick::cli

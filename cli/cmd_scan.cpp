#include <cstdio>

#include "cli/commands.hpp"

namespace ferrowick::cli {

int CmdScan(const Args&) {
    std::fputs("ferrowick scan: not available in this build yet\n", stderr);
    return kExitUsage;
}

}  // namespace ferrowick::cli

#include <cstdio>

#include "cli/commands.hpp"

namespace ferrowick::cli {

int CmdSample(const Args&) {
    std::fputs("ferrowick sample: not available in this build yet\n", stderr);
    return kExitUsage;
}

}  // namespace ferrowick::cli

#include <cstdio>

#include "cli/commands.hpp"

namespace ferrowick::cli {

int CmdConvert(const Args&) {
    std::fputs("ferrowick convert: not available in this build yet\n", stderr);
    return kExitUsage;
}

}  // namespace ferrowick::cli

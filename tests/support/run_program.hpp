#pragma once
// Runs the ferrowick program under test with `args` (no shell in between), its standard
// input and error the null device; its exit status and standard output.
#include <string>
#include <vector>

namespace ferrowick::testing {

struct ProgramRun {
    int status = -1;  // -1 when it could not be started or was ended by a signal
    std::string out;
};

ProgramRun RunFerrowick(const std::vector<std::string>& args);

}  // namespace ferrowick::testing

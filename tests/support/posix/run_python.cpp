#include "support/msg_fixtures.hpp"
#include "support/run_command.hpp"

namespace ferrowick::testing {

PythonRun RunPython(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"/usr/bin/python3", "-c", program};
    argv.insert(argv.end(), args.begin(), args.end());
    const CommandRun run = RunProgram(argv);
    return {run.exitCode, run.output};
}

}  // namespace ferrowick::testing

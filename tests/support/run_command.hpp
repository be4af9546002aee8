#pragma once
// Running another program from a test: a shell command line (for pipes, redirections and
// quoting written out), a program with its arguments as they are (no shell in between), and
// whether a tool is on PATH.
#include <string>
#include <vector>

namespace ferrowick::testing {

struct CommandRun {
    int exitCode = -1;   // -1 when it was ended by a signal or could not be started
    std::string output;  // its standard output (add 2>&1 to a command line for standard error)
};

// `command` run by /bin/sh.
CommandRun RunCommand(const std::string& command);

// argv[0] (a path) run with the rest of argv as its arguments.
CommandRun RunProgram(const std::vector<std::string>& argv);

// Whether `tool` is found on PATH.
bool Installed(const std::string& tool);

}  // namespace ferrowick::testing

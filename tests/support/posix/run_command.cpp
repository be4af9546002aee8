#include "support/run_command.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace ferrowick::testing {
namespace {

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

CommandRun RunCommand(const std::string& command) {
    CommandRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
    run.exitCode = ExitCodeOf(::pclose(pipe));
    return run;
}

CommandRun RunProgram(const std::vector<std::string>& argv) {
    CommandRun run;
    if (argv.empty() || ::access(argv[0].c_str(), X_OK) != 0) return run;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return run;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return run;
    }
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) run.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = ExitCodeOf(status);
    return run;
}

bool Installed(const std::string& tool) {
    return RunCommand("command -v '" + tool + "' >/dev/null 2>&1").exitCode == 0;
}

}  // namespace ferrowick::testing

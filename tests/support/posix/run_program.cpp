#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "support/run_program.hpp"

namespace ferrowick::testing {

ProgramRun RunFerrowick(const std::vector<std::string>& args) {
    ProgramRun run;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return run;
    std::vector<char*> argv{const_cast<char*>(FERROWICK_BINARY)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return run;
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(pipeFds[1], 1);
        ::dup2(null, 2);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execv(FERROWICK_BINARY, argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        run.out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace ferrowick::testing

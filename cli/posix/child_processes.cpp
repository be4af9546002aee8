// Children by fork and exec of /proc/self/exe, their standard error read through poll.
#include "cli/child_processes.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace ferrowick::cli {
namespace {

struct Child {
    std::size_t index = 0;
    pid_t pid = -1;
    int output = -1;  // the read end of the child's standard error
};

bool Start(Child& child, const std::string& self, const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(self.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return false;
    }
    if (pid == 0) {
        // A group of its own: Ctrl-C on the terminal reaches the parent only, which passes
        // the stop on once (a second signal would end the child at once).
        ::setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);  // the parent prints the last lines for all folders
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::execv(self.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    child.pid = pid;
    child.output = pipeEnds[0];
    return true;
}

}  // namespace

std::vector<ChildResult> RunChildren(const std::vector<std::vector<std::string>>& argumentLists, unsigned jobs,
                                     const StopRequests& stop,
                                     const std::function<void(std::size_t, std::string_view)>& onOutput,
                                     const std::function<void(std::size_t)>& onEnd) {
    std::error_code error;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
    std::vector<ChildResult> results(argumentLists.size());
    std::vector<Child> running;
    std::size_t next = 0;
    bool forwarded = false, forwardedAgain = false;
    while (true) {
        const int signal = stop.first();
        if (signal != 0 && !forwarded) {
            for (const Child& child : running) ::kill(child.pid, signal);
            forwarded = true;
        }
        if (const int again = stop.second(); again != 0 && !forwardedAgain) {
            for (const Child& child : running) ::kill(child.pid, again);
            forwardedAgain = true;
        }
        while (signal == 0 && running.size() < jobs && next < argumentLists.size()) {
            Child child;
            child.index = next;
            if (Start(child, self, argumentLists[next])) {
                results[next].started = true;
                running.push_back(child);
            } else {
                results[next].failedToStart = true;
                onEnd(next);
            }
            ++next;
        }
        if (running.empty()) break;

        std::vector<pollfd> fds;
        for (const Child& child : running) fds.push_back(pollfd{child.output, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 200) < 0 && errno != EINTR) break;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            Child& child = running[i];
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t n = ::read(child.output, buffer, sizeof buffer);
            if (n > 0) {
                onOutput(child.index, std::string_view(buffer, static_cast<std::size_t>(n)));
            } else if (n == 0 || errno != EINTR) {
                ::close(child.output);
                child.output = -1;
                int status = 0;
                while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
                }
                ChildResult& result = results[child.index];
                if (WIFSIGNALED(status))
                    result.signal = WTERMSIG(status);
                else
                    result.exitStatus = WEXITSTATUS(status);
                onEnd(child.index);
            }
        }
        std::erase_if(running, [](const Child& child) { return child.output < 0; });
    }
    return results;
}

}  // namespace ferrowick::cli

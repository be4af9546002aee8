#include "cli/parallel_folders.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cli/terminal_interrupt.hpp"
#include "fs/text.hpp"

namespace ferrowick::cli {
namespace {

namespace stdfs = std::filesystem;

struct Job {
    std::size_t row = 0;
    pid_t pid = -1;
    int output = -1;  // the read end of the child's standard error
    std::string pending;
    bool started = false;
    bool failedToStart = false;
    int status = 0;
};

// The child's progress, one line at a time, under its folder's name.
void PassOn(Job& job, const std::string& name, bool all) {
    std::size_t from = 0;
    for (std::size_t at; (at = job.pending.find_first_of("\r\n", from)) != std::string::npos; from = at + 1)
        if (at > from) std::fprintf(stderr, "[%s] %s\n", name.c_str(), job.pending.substr(from, at - from).c_str());
    job.pending.erase(0, from);
    if (all && !job.pending.empty()) std::fprintf(stderr, "[%s] %s\n", name.c_str(), job.pending.c_str());
    std::fflush(stderr);
}

bool Start(Job& job, const std::string& self, const std::string& root, const std::string& outputDir,
           const std::string& name, const std::string& report) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
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
        ::execl(self.c_str(), self.c_str(), "convert", "--multiple", root.c_str(), outputDir.c_str(), "--only",
                name.c_str(), "--report", report.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    job.pid = pid;
    job.output = pipeEnds[0];
    job.started = true;
    return true;
}

std::string AbnormalEnd(int status) {
    if (WIFSIGNALED(status)) return "not converted: the folder's conversion ended by signal " + std::to_string(WTERMSIG(status));
    return "not converted: the folder's conversion ended with exit status " + std::to_string(WEXITSTATUS(status)) +
           " and no report";
}

}  // namespace

RunOutcome ConvertInParallel(const std::string& root, const std::string& outputDir, const std::vector<FolderRow>& chosen,
                             unsigned jobs) {
    std::error_code error;
    const std::string self = stdfs::read_symlink("/proc/self/exe", error).string();
    std::string scratch = (stdfs::temp_directory_path() / "ferrowick-jobs-XXXXXX").string();
    if (::mkdtemp(scratch.data()) == nullptr) scratch.clear();

    std::vector<Job> all(chosen.size());
    std::vector<std::string> names, reports;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        names.push_back(ToUtf8(chosen[i].Text));
        reports.push_back(scratch + "/" + std::to_string(i) + ".json");
        all[i].row = i;
    }

    // The first signal stops each child as it would stop a single run; a second one ends
    // them at once, as it would end a single run.
    InterruptGuard::RecordSecondSignal();
    std::size_t next = 0;
    std::vector<Job*> running;
    bool forwarded = false, forwardedAgain = false;
    while (true) {
        const int signal = InterruptGuard::Signal();
        if (signal != 0 && !forwarded) {
            for (Job* job : running) ::kill(job->pid, signal);
            forwarded = true;
        }
        if (const int again = InterruptGuard::SecondSignal(); again != 0 && !forwardedAgain) {
            for (Job* job : running) ::kill(job->pid, again);
            forwardedAgain = true;
        }
        while (signal == 0 && !scratch.empty() && running.size() < jobs && next < chosen.size()) {
            Job& job = all[next];
            if (Start(job, self, root, outputDir, names[next], reports[next])) running.push_back(&job);
            else job.failedToStart = true;
            ++next;
        }
        if (running.empty()) break;

        std::vector<pollfd> fds;
        for (Job* job : running) fds.push_back(pollfd{job->output, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 200) < 0 && errno != EINTR) break;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            Job& job = *running[i];
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t n = ::read(job.output, buffer, sizeof buffer);
            if (n > 0) {
                job.pending.append(buffer, static_cast<std::size_t>(n));
                PassOn(job, names[job.row], false);
            } else if (n == 0 || errno != EINTR) {
                PassOn(job, names[job.row], true);
                ::close(job.output);
                job.output = -1;
                while (::waitpid(job.pid, &job.status, 0) < 0 && errno == EINTR) {
                }
            }
        }
        std::erase_if(running, [](const Job* job) { return job->output < 0; });
    }

    RunOutcome outcome;
    outcome.multiple = true;
    const bool stopped = InterruptGuard::Signal() != 0;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const std::string source = ToUtf8(chosen[i].Path);
        const std::string store = ToUtf8(StoreForRow(FromUtf8(outputDir), chosen[i]));
        outcome.sources.push_back(source);
        RunOutcome part;
        bool haveReport = false;
        if (all[i].started) {
            std::ifstream in(reports[i]);
            const auto report = nlohmann::ordered_json::parse(in, nullptr, false);
            if (!report.is_discarded()) {
                part = OutcomeFromReport(report);
                haveReport = true;
            }
        }
        if (!haveReport) {
            const std::string reason = all[i].failedToStart || (scratch.empty() && !stopped)
                                           ? "not converted: the folder's conversion could not be started"
                                       : !all[i].started || stopped ? "not converted: the run was stopped"
                                                                    : AbnormalEnd(all[i].status);
            part.AddUnrecorded(ListFolderTree(chosen[i].Path), source, store, reason);
        }
        outcome.Merge(part);
    }
    if (!scratch.empty()) stdfs::remove_all(scratch, error);
    outcome.signal = InterruptGuard::Signal();
    return outcome;
}

}  // namespace ferrowick::cli

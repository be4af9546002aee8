#pragma once
// Runs a program as a child process for the benchmarks: wall time (with an optional `sync`
// after it, so written data counts) and the child's peak resident memory.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace ferrowick::bench {

struct ChildRun {
    int status = -1;
    double seconds = 0;
    double peakMiB = 0;
    bool Succeeded() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

inline ChildRun RunChild(const std::vector<std::string>& argv, bool syncAfter = false) {
    ChildRun run;
    std::fflush(nullptr);  // or the child's freopen writes out what this process buffered
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (std::freopen("/dev/null", "w", stdout) == nullptr || std::freopen("/dev/null", "w", stderr) == nullptr)
            _exit(126);
        ::execv(args[0], args.data());
        _exit(127);
    }
    rusage usage{};
    ::wait4(child, &run.status, 0, &usage);
    if (syncAfter) ::sync();
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

inline std::filesystem::path SelfDir() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

}  // namespace ferrowick::bench

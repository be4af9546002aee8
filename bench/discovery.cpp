// Discovery against find(1) over the same tree: 100,000 files in 1,000 folders (10 groups
// of 100), warm cache, a few repetitions each, best time reported. Prints the ratio
// discovery / find; the aim is 2 or less.
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fs/text.hpp"
#include "run/scan_folder.hpp"
#include "seams/keyed_queue.hpp"
#include "seams/silent_status_board.hpp"

namespace {

using namespace ferrowick;
using Clock = std::chrono::steady_clock;

constexpr int kGroups = 10;
constexpr int kFoldersPerGroup = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kRepetitions = 5;

void BuildTree(const std::filesystem::path& root) {
    for (int g = 0; g < kGroups; ++g) {
        for (int f = 0; f < kFoldersPerGroup; ++f) {
            const auto folder = root / ("group" + std::to_string(g)) / ("folder" + std::to_string(f));
            std::filesystem::create_directories(folder);
            for (int i = 0; i < kFilesPerFolder; ++i)
                std::ofstream(folder / ("message " + std::to_string(i) + ".msg")) << "x";
        }
    }
}

// CPU seconds (user + system) of this process and of its waited-for children.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
    double wall = 1e9;  // best of the repetitions
    double cpu = 1e9;
};

// The machine may be shared, so the CPU time is reported beside the wall time: it is
// far less disturbed by other work.
template <typename Run>
Timing Best(int who, Run run) {
    Timing best;
    for (int i = 0; i < kRepetitions; ++i) {
        const double cpuStart = CpuSeconds(who);
        const auto start = Clock::now();
        run();
        best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - start).count());
        best.cpu = std::min(best.cpu, CpuSeconds(who) - cpuStart);
    }
    return best;
}

}  // namespace

// With a folder argument the tree already there is measured and kept (for profiling).
int main(int argc, char** argv) {
    const bool ownTree = argc < 2;
    char pattern[] = "/tmp/ferrowick-bench-XXXXXX";
    if (ownTree && mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path root = ownTree ? pattern : argv[1];
    if (ownTree) {
        std::printf("building %d files in %d folders under %s...\n", kGroups * kFoldersPerGroup * kFilesPerFolder,
                    kGroups * kFoldersPerGroup, root.c_str());
        BuildTree(root);
    }

    std::size_t files = 0, folders = 0;
    const Timing discovery = Best(RUSAGE_SELF, [&] {
        std::u16string folder = FromNative(root.string());
        std::int32_t nextMessage = 1, nextFolder = 0;
        KeyedQueue messages, subFolders;
        SilentBoard board;
        NoWindowYielder yielder;
        ScanFolder(folder, u"*.*", nextMessage, nextFolder, messages, subFolders, board, yielder);
        files = messages.Count();
        folders = subFolders.Count();
    });
    const std::string findCommand = "find '" + root.string() + "' > /dev/null";
    int findStatus = 0;
    const Timing find = Best(RUSAGE_CHILDREN, [&] { findStatus = std::system(findCommand.c_str()); });

    if (ownTree) std::filesystem::remove_all(root);
    if (findStatus != 0) {
        std::fprintf(stderr, "find failed (%d)\n", findStatus);
        return 1;
    }
    std::printf("discovery: %zu files, %zu folders: %.1f ms wall, %.1f ms CPU (best of %d)\n", files, folders,
                discovery.wall * 1e3, discovery.cpu * 1e3, kRepetitions);
    std::printf("find:      %.1f ms wall, %.1f ms CPU (best of %d)\n", find.wall * 1e3, find.cpu * 1e3, kRepetitions);
    std::printf("ratio discovery/find: %.2f wall, %.2f CPU\n", discovery.wall / find.wall, discovery.cpu / find.cpu);
    return 0;
}

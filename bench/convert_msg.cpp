// Converting 10,000 real .msg files (copies of the corpus's small files in a generated tree)
// with `ferrowick convert`, against `cp -r` of the same tree, in the same run; and the peak
// memory of the conversion, which runs as a child process. Usage:
//   bench_convert_msg [CORPUS_MSG_DIR] [FERROWICK_BINARY] [MESSAGES]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fsys = std::filesystem;

namespace {

constexpr int kFolders = 20;
constexpr std::uintmax_t kSmallFile = 64 * 1024;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct ChildRun {
    int status = -1;
    double seconds = 0;
    double peakMiB = 0;
};

ChildRun RunChild(const std::vector<std::string>& argv) {
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (std::freopen("/dev/null", "w", stdout) == nullptr || std::freopen("/dev/null", "w", stderr) == nullptr) _exit(126);
        ::execv(args[0], args.data());
        _exit(127);
    }
    rusage usage{};
    ::wait4(child, &run.status, 0, &usage);
    run.seconds = Seconds(std::chrono::steady_clock::now() - start);
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

fsys::path SelfDir() { return fsys::read_symlink("/proc/self/exe").parent_path(); }

}  // namespace

int main(int argc, char** argv) {
    const fsys::path corpus = argc > 1 ? fsys::path(argv[1]) : fsys::path(FERROWICK_SHARED_DIR) / "corpus/msg";
    if (!fsys::is_directory(corpus)) {
        std::fprintf(stderr, "no .msg corpus at %s (it sits beside the checkout; or name a folder)\n", corpus.c_str());
        return 2;
    }
    const fsys::path binary = argc > 2 ? fsys::path(argv[2]) : SelfDir().parent_path() / "ferrowick";
    const int messages = argc > 3 ? std::atoi(argv[3]) : 10000;
    std::vector<fsys::path> small;
    for (const auto& e : fsys::recursive_directory_iterator(corpus))
        if (e.is_regular_file() && e.path().extension() == ".msg" && e.file_size() <= kSmallFile) small.push_back(e.path());
    std::sort(small.begin(), small.end());
    if (small.empty() || !fsys::exists(binary)) {
        std::fprintf(stderr, "need small .msg files under %s and the program %s\n", corpus.c_str(), binary.c_str());
        return 2;
    }

    const fsys::path work = fsys::temp_directory_path() / ("ferrowick-bench-msg-" + std::to_string(::getpid()));
    const fsys::path source = work / "Mail";
    std::uintmax_t bytes = 0;
    for (int i = 0; i < messages; ++i) {
        const fsys::path folder = source / ("Folder" + std::to_string(i % kFolders / 4)) / ("Sub" + std::to_string(i % kFolders));
        fsys::create_directories(folder);
        const fsys::path& from = small[static_cast<std::size_t>(i) % small.size()];
        fsys::copy_file(from, folder / ("m" + std::to_string(i) + ".msg"));
        bytes += fsys::file_size(from);
    }
    ::sync();

    const ChildRun copy = RunChild({"/bin/cp", "-r", source.string(), (work / "copy").string()});
    const ChildRun convert = RunChild({binary.string(), "convert", source.string(), (work / "out.pst").string()});
    const ChildRun check = RunChild({binary.string(), "check", (work / "out.pst").string()});
    const std::uintmax_t pstBytes = fsys::exists(work / "out.pst") ? fsys::file_size(work / "out.pst") : 0;

    std::printf("%d .msg files (%zu distinct corpus files, %.1f MiB) in %d folders\n", messages, small.size(),
                static_cast<double>(bytes) / 1048576.0, kFolders);
    std::printf("cp -r:             %.3f s\n", copy.seconds);
    std::printf("ferrowick convert: %.3f s (exit %d), .pst %.1f MiB, check exit %d\n", convert.seconds,
                WEXITSTATUS(convert.status), static_cast<double>(pstBytes) / 1048576.0, WEXITSTATUS(check.status));
    std::printf("speed of convert relative to cp -r: %.0f%% (target >= 50%%)\n", 100.0 * copy.seconds / convert.seconds);
    std::printf("peak memory of convert: %.1f MiB (target < 200 MiB)\n", convert.peakMiB);
    fsys::remove_all(work);
    return 0;
}

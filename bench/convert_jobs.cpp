// `ferrowick convert --multiple --jobs 2` against `--jobs 1` over 8 sub-folders of real
// .msg files (the shared corpus's, copied), in interleaved pairs so that the machine's
// load falls on both alike; prints each time, the medians and their ratio.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fsys = std::filesystem;

namespace {

constexpr int kFolders = 8;
constexpr int kCopies = 3;  // of the corpus in each folder
constexpr int kPairs = 5;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Convert(const fsys::path& root, const fsys::path& out, const char* jobs) {
    fsys::remove_all(out);
    fsys::create_directories(out);
    std::fflush(stdout);  // or the child would write our buffered lines again
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execl(FERROWICK_BINARY, FERROWICK_BINARY, "convert", "--multiple", root.c_str(), out.c_str(), "--jobs", jobs,
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf("  (exit status %d)\n", WEXITSTATUS(status));
    fsys::remove_all(out);
    return seconds;
}

// How much faster two busy threads finish two shares of work than one thread does: on a
// machine shared with other work, the bound on any speed-up --jobs 2 can show.
double MachineParallelism() {
    const auto spin = [] {
        volatile std::uint64_t x = 0;
        for (std::uint64_t i = 0; i < 300'000'000; ++i) x = x + i;
    };
    const auto time = [](auto body) {
        const auto start = std::chrono::steady_clock::now();
        body();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const double one = time([&] {
        spin();
        spin();
    });
    const double two = time([&] {
        std::thread a(spin), b(spin);
        a.join();
        b.join();
    });
    return one / two;
}

}  // namespace

int main() {
    const fsys::path corpus = fsys::path(FERROWICK_SHARED_DIR) / "corpus" / "msg";
    if (!fsys::is_directory(corpus)) {
        std::printf("shared corpus not found at %s: nothing to time\n", corpus.c_str());
        return 0;
    }
    std::vector<fsys::path> messages;
    for (const auto& e : fsys::recursive_directory_iterator(corpus))
        if (e.is_regular_file() && e.path().extension() == ".msg") messages.push_back(e.path());

    // In memory where the machine has it: the disk would time itself, not the conversion.
    const bool shm = fsys::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0;
    const fsys::path work = (shm ? fsys::path("/dev/shm") : fsys::temp_directory_path()) /
                            ("ferrowick-bench-jobs-" + std::to_string(::getpid()));
    const fsys::path root = work / "Root";
    for (int f = 0; f < kFolders; ++f) {
        const fsys::path folder = root / ("Folder" + std::to_string(f));
        fsys::create_directories(folder);
        for (int c = 0; c < kCopies; ++c)
            for (std::size_t m = 0; m < messages.size(); ++m)
                fsys::copy_file(messages[m], folder / (std::to_string(c) + "-" + std::to_string(m) + ".msg"));
    }
    std::printf("%d folders of %zu messages, %d interleaved pairs, %u cores\n", kFolders, messages.size() * kCopies,
                kPairs, std::thread::hardware_concurrency());

    std::vector<double> one, two;
    for (int i = 0; i < kPairs; ++i) {
        one.push_back(Convert(root, work / "one", "1"));
        two.push_back(Convert(root, work / "two", "2"));
        std::printf("  pair %d: --jobs 1 %.2f s, --jobs 2 %.2f s\n", i + 1, one.back(), two.back());
    }
    std::printf("median --jobs 1: %.2f s\nmedian --jobs 2: %.2f s\nspeed-up: %.2fx\n", Median(one), Median(two),
                Median(one) / Median(two));
    std::printf("the machine's own speed-up for two busy threads right now: %.2fx\n", MachineParallelism());
    fsys::remove_all(work);
    return 0;
}

// Converting a tree of real .msg files (copies of the corpus's files under 200 KB: 10,000 in
// 50 folders) with `ferrowick convert` + `sync`, against `cp -r` + `sync` of the same tree in
// the same run: pairs interleaved (which goes first alternates), medians over the runs. Also
// the peak memory of the conversion and, with --large, the same at 100,000 messages in one
// folder and in 100 folders (long: several GB of copies). Usage:
//   bench_convert_msg [--runs N] [--messages N] [--large] [--corpus DIR] [--binary PATH]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_child.hpp"

namespace fsys = std::filesystem;
using ferrowick::bench::ChildRun;
using ferrowick::bench::RunChild;

namespace {

constexpr std::uintmax_t kSmallFile = 200 * 1024;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Copies the corpus files round-robin into `folders` folders (ten per parent folder).
std::uintmax_t MakeTree(const std::vector<fsys::path>& small, const fsys::path& root, int messages, int folders) {
    std::uintmax_t bytes = 0;
    for (int i = 0; i < messages; ++i) {
        const int f = i % folders;
        const fsys::path folder =
            folders == 1 ? root : root / ("Folder" + std::to_string(f / 10)) / ("Sub" + std::to_string(f));
        if (i < folders) fsys::create_directories(folder);
        const fsys::path& from = small[static_cast<std::size_t>(i) % small.size()];
        fsys::copy_file(from, folder / ("m" + std::to_string(i) + ".msg"));
        bytes += fsys::file_size(from);
    }
    ::sync();
    return bytes;
}

struct Comparison {
    double copySeconds = 0, convertSeconds = 0, ratio = 0, peakMiB = 0;
    bool allConverted = true;
};

Comparison Compare(const fsys::path& binary, const fsys::path& source, const fsys::path& work, int runs) {
    std::vector<double> copies, converts, ratios;
    Comparison c;
    for (int r = 0; r < runs; ++r) {
        ChildRun copy, convert;
        // Every run writes to new names and nothing is deleted until the end: on a file system
        // mounted with discard, deleting the last run's 10,000 copies slows the next run's
        // writes, and did so more for the copy (many files) than for the store (one file).
        const std::string run = std::to_string(r);
        auto doCopy = [&] {
            copy = RunChild({"/bin/cp", "-r", source.string(), (work / ("copy" + run)).string()}, true);
        };
        auto doConvert = [&] {
            convert =
                RunChild({binary.string(), "convert", source.string(), (work / ("out" + run + ".pst")).string()}, true);
        };
        if (r % 2 == 0) {
            doCopy();
            doConvert();
        } else {
            doConvert();
            doCopy();
        }
        copies.push_back(copy.seconds);
        converts.push_back(convert.seconds);
        ratios.push_back(copy.seconds / convert.seconds);
        c.peakMiB = std::max(c.peakMiB, convert.peakMiB);
        c.allConverted = c.allConverted && convert.Succeeded();
        std::printf("  run %d: cp -r + sync %.3f s, convert + sync %.3f s (exit %d), %.2fx, peak %.1f MiB\n", r + 1,
                    copy.seconds, convert.seconds, WEXITSTATUS(convert.status), ratios.back(), convert.peakMiB);
        std::fflush(stdout);
    }
    for (int r = 0; r < runs; ++r) {
        fsys::remove_all(work / ("copy" + std::to_string(r)));
        if (r + 1 < runs) fsys::remove(work / ("out" + std::to_string(r) + ".pst"));
    }
    ::sync();
    c.copySeconds = Median(copies);
    c.convertSeconds = Median(converts);
    c.ratio = Median(ratios);
    return c;
}

// One conversion of a large tree: time per message and peak memory.
ChildRun ConvertOnce(const fsys::path& binary, const std::vector<fsys::path>& small, const fsys::path& work,
                     int messages, int folders) {
    const fsys::path source = work / "Big";
    MakeTree(small, source, messages, folders);
    const ChildRun run = RunChild({binary.string(), "convert", source.string(), (work / "big.pst").string()}, true);
    fsys::remove_all(source);
    fsys::remove(work / "big.pst");
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    fsys::path corpus = fsys::path(FERROWICK_SHARED_DIR) / "corpus/msg";
    fsys::path binary = ferrowick::bench::SelfDir().parent_path() / "ferrowick";
    int messages = 10000, runs = 5;
    bool large = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--runs" && hasValue)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--messages" && hasValue)
            messages = std::max(1, std::atoi(argv[++i]));
        else if (a == "--corpus" && hasValue)
            corpus = argv[++i];
        else if (a == "--binary" && hasValue)
            binary = argv[++i];
        else if (a == "--large")
            large = true;
        else {
            std::fprintf(
                stderr,
                "usage: bench_convert_msg [--runs N] [--messages N] [--large] [--corpus DIR] [--binary PATH]\n");
            return 2;
        }
    }
    if (!fsys::is_directory(corpus)) {
        std::fprintf(stderr, "no .msg corpus at %s (it sits beside the checkout; or name a folder)\n", corpus.c_str());
        return 2;
    }
    std::vector<fsys::path> small;
    for (const auto& e : fsys::recursive_directory_iterator(corpus))
        if (e.is_regular_file() && e.path().extension() == ".msg" && e.file_size() < kSmallFile)
            small.push_back(e.path());
    std::sort(small.begin(), small.end());
    if (small.empty() || !fsys::exists(binary)) {
        std::fprintf(stderr, "need .msg files under 200 KB in %s and the program %s\n", corpus.c_str(), binary.c_str());
        return 2;
    }

    const fsys::path work = fsys::temp_directory_path() / ("ferrowick-bench-msg-" + std::to_string(::getpid()));
    const fsys::path source = work / "Mail";
    constexpr int kFolders = 50;
    const std::uintmax_t bytes = MakeTree(small, source, messages, kFolders);
    std::printf("%d .msg files (%zu distinct corpus files, %.1f MB) in %d folders, %d interleaved pairs\n", messages,
                small.size(), static_cast<double>(bytes) / 1e6, kFolders, runs);
    const Comparison c = Compare(binary, source, work, runs);
    const fsys::path lastStore = work / ("out" + std::to_string(runs - 1) + ".pst");
    const ChildRun check = RunChild({binary.string(), "check", lastStore.string()});
    std::printf("median cp -r + sync:             %.3f s\n", c.copySeconds);
    std::printf("median ferrowick convert + sync: %.3f s (%s), check exit %d\n", c.convertSeconds,
                c.allConverted ? "every run succeeded" : "SOME RUNS FAILED", WEXITSTATUS(check.status));
    std::printf("speed relative to cp -r + sync:  %.2fx (median of pair ratios; goal >= 1.0x)\n", c.ratio);
    std::printf("peak memory of convert:          %.1f MiB\n", c.peakMiB);
    fsys::remove(lastStore);
    fsys::remove_all(source);

    if (large) {
        const double perMessage = c.convertSeconds / messages;
        for (const int folders : {1, 100}) {
            constexpr int kLarge = 100000;
            const ChildRun run = ConvertOnce(binary, small, work, kLarge, folders);
            std::printf(
                "%d messages in %d folder%s: convert + sync %.1f s (exit %d), %.3f ms/message (%.2fx the "
                "time per message at %d; goal <= 1.3x), peak %.1f MiB (goal < 200 MiB)\n",
                kLarge, folders, folders == 1 ? "" : "s", run.seconds, WEXITSTATUS(run.status),
                1000.0 * run.seconds / kLarge, run.seconds / kLarge / perMessage, messages, run.peakMiB);
            std::fflush(stdout);
        }
    }
    fsys::remove_all(work);
    return c.allConverted && check.Succeeded() ? 0 : 1;
}

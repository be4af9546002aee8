// Writes 1 GiB of message-like property contexts (10,000 nodes, each with a ~105 KiB binary
// value in a sub-node) into a new .pst and compares the rate with `dd` writing the same
// number of bytes to the same disk in the same run. Also reports the peak resident memory.
//   bench_pst_write [DIR]   (default: the system's temp folder)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "pst/ltp/property_context.hpp"
#include "pst/ndb/node_database.hpp"

namespace {

using namespace ferrowick::pst;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kTotalBytes = 1ull << 30;
constexpr std::uint32_t kNodes = 10'000;
constexpr std::uint32_t kCommitEvery = 500;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double RunDd(const std::filesystem::path& file) {
    const std::string command = "dd if=/dev/zero of='" + file.string() +
                                "' bs=1M count=" + std::to_string(kTotalBytes >> 20) + " conv=fdatasync status=none";
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "dd failed\n");
        std::exit(1);
    }
    const double seconds = Seconds(start);
    std::filesystem::remove(file);
    return seconds;
}

double RunPst(const std::filesystem::path& file, std::uint64_t* written) {
    // A pool of noise to cut values from, so that producing bytes costs next to nothing.
    std::vector<std::uint8_t> pool(1 << 20);
    std::mt19937 gen(42);
    for (auto& b : pool) b = static_cast<std::uint8_t>(gen());
    const std::size_t valueSize = kTotalBytes / kNodes;

    const auto start = Clock::now();
    auto db = NodeDatabase::Create(file);
    for (std::uint32_t i = 0; i < kNodes; ++i) {
        PropertyBag bag;
        bag.Set(0x001A, PropertyValue::String(u"IPM.Note"));
        bag.Set(0x0037, PropertyValue::String(u"Benchmark message " + std::u16string(1, char16_t(u'A' + i % 26))));
        bag.Set(0x0E07, PropertyValue::Integer32(17));
        bag.Set(0x0E08, PropertyValue::Integer32(static_cast<std::int32_t>(valueSize)));
        bag.Set(0x0039, PropertyValue::Time(0x01D9000000000000ull + i));
        const std::size_t at = (i * 7919u) % (pool.size() - valueSize);
        bag.Set(0x1000, PropertyValue::Binary({pool.begin() + at, pool.begin() + at + valueSize}));
        const NodeData node = WritePropertyContext(bag);
        *written += node.TotalSize();
        for (const auto& [nid, sub] : node.subnodes) *written += sub.TotalSize();
        db.PutNode(db.AllocateNodeId(NidType::NormalMessage), NodeId(0x8022), node);
        if ((i + 1) % kCommitEvery == 0) db.Commit();
    }
    db.Commit();
    const double seconds = Seconds(start);
    std::filesystem::remove(file);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    const auto ddFile = dir / "ferrowick-bench-dd.bin";
    const auto pstFile = dir / "ferrowick-bench.pst";

    const double ddSeconds = RunDd(ddFile);
    std::uint64_t written = 0;
    const double pstSeconds = RunPst(pstFile, &written);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double mib = static_cast<double>(kTotalBytes) / (1 << 20);
    const double ddRate = mib / ddSeconds, pstRate = static_cast<double>(written) / (1 << 20) / pstSeconds;
    std::printf("dd:  %.0f MiB in %.2f s = %.1f MiB/s\n", mib, ddSeconds, ddRate);
    std::printf("pst: %.0f MiB of node data in %u nodes in %.2f s = %.1f MiB/s\n",
                static_cast<double>(written) / (1 << 20), kNodes, pstSeconds, pstRate);
    std::printf("ratio pst/dd: %.2f (target >= 0.50)\n", pstRate / ddRate);
    std::printf("peak resident memory: %.1f MiB (target < 200)\n", usage.ru_maxrss / 1024.0);
    return 0;
}

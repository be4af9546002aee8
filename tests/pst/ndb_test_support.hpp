#pragma once
// Small helpers of the node database tests: a scratch folder and node content to write.
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "pst/node_data.hpp"

namespace ferrowick::pst::testing {

// A folder of its own under the system's temp folder, removed at the end of the test.
class ScratchDir {
public:
    // `in_memory`: under /dev/shm when there is one, for tests whose many scattered writes
    // and flushes would only measure the disk.
    explicit ScratchDir(const std::string& name, bool inMemory = false) {
        const bool shm = inMemory && std::filesystem::is_directory("/dev/shm");
        path_ = (shm ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) /
                ("ferrowick-ndb-" + name + "-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path operator/(const std::string& leaf) const { return path_ / leaf; }

private:
    std::filesystem::path path_;
};

// Copies `from` over `to`. Not copy_file's overwrite_existing: MinGW's libstdc++ takes any two
// files on one drive for the same file (its stat gives every file inode 0) and refuses with
// "File exists", so the old copy is removed first.
inline void CopyOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::remove(to);
    std::filesystem::copy_file(from, to);
}

// `count` pieces of `size` bytes of reproducible noise.
inline NodeData Noise(std::size_t count, std::size_t size, std::uint32_t seed) {
    NodeData data;
    std::mt19937 gen(seed);
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<std::uint8_t> piece(size);
        for (auto& b : piece) b = static_cast<std::uint8_t>(gen());
        data.pieces.push_back(std::move(piece));
    }
    return data;
}

inline bool SameData(const NodeData& a, const NodeData& b) {
    if (a.pieces != b.pieces || a.subnodes.size() != b.subnodes.size()) return false;
    for (auto ia = a.subnodes.begin(), ib = b.subnodes.begin(); ia != a.subnodes.end(); ++ia, ++ib)
        if (ia->first != ib->first || !SameData(ia->second, ib->second)) return false;
    return true;
}

}  // namespace ferrowick::pst::testing

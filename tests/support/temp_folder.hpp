#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when
// the test ends. Paths come back as the UTF-16 text the core works with.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "fs/text.hpp"

namespace ferrowick::testing {

class TempFolder {
public:
    // `base` defaults to the system's temporary folder.
    explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        static unsigned counter = 0;
        const auto seed = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
            const auto candidate = base / ("ferrowick-test-" + std::to_string(seed % 1000000007) + "-" + std::to_string(counter++));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) root_ = candidate;
        }
        if (root_.empty()) throw std::runtime_error("no temporary folder could be made under " + base.string());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // `relative` is UTF-8 (on Linux any bytes, as file names are).
    std::filesystem::path Native(const std::string& relative) const {
#ifdef _WIN32
        return root_ / std::filesystem::path(FromNative(relative));
#else
        return root_ / relative;
#endif
    }
    // The root, or an item below it, as UTF-16 text (no trailing separator).
    std::u16string Text(const std::string& relative = "") const {
#ifdef _WIN32
        return std::filesystem::path(relative.empty() ? root_ : Native(relative)).make_preferred().u16string();
#else
        return FromNative(relative.empty() ? root_.string() : (root_ / relative).string());
#endif
    }

    void Folder(const std::string& relative) const { std::filesystem::create_directories(Native(relative)); }
    void File(const std::string& relative, const std::string& content = "") const {
        const auto path = Native(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

private:
    std::filesystem::path root_;
};

// Memory-backed when the machine has it: for tests that make and remove thousands of
// folders, which some disk file systems do slowly.
inline std::filesystem::path FastTempBase() {
    std::error_code ignored;
    const std::filesystem::path shm("/dev/shm");
    const auto perms = std::filesystem::status(shm, ignored).permissions();
    return std::filesystem::is_directory(shm, ignored) && (perms & std::filesystem::perms::others_write) != std::filesystem::perms::none
               ? shm
               : std::filesystem::temp_directory_path();
}

}  // namespace ferrowick::testing

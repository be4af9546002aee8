#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when
// the test ends. Paths come back as the UTF-16 text the core works with.
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include "fs/text.hpp"

namespace ferrowick::testing {

class TempFolder {
public:
    // `base` defaults to the system's temporary folder.
    explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        // A random name, made with create_directory, which refuses one that exists.
        static thread_local std::mt19937_64 engine{std::random_device{}()};
        for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
            const std::filesystem::path candidate = base / ("ferrowick-test-" + std::to_string(engine() % 1000000000));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) root_ = candidate;
        }
        if (root_.empty()) throw std::runtime_error("no temporary folder could be made");
        root_.make_preferred();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // `relative` is UTF-8 (or, on Linux, any bytes) with "/" between names.
    std::filesystem::path Native(const std::string& relative) const {
        return (root_ / std::filesystem::path(std::u8string(relative.begin(), relative.end()))).make_preferred();
    }
    // The root, or an item below it, as UTF-16 text (no trailing separator).
    std::u16string Text(const std::string& relative = "") const {
        const std::u8string text = (relative.empty() ? root_ : Native(relative)).u8string();
        return FromNative(std::string(text.begin(), text.end()));
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
    const auto shm = std::filesystem::status("/dev/shm", ignored);
    return std::filesystem::is_directory(shm) &&
                   (shm.permissions() & std::filesystem::perms::owner_write) != std::filesystem::perms::none
               ? std::filesystem::path("/dev/shm")
               : std::filesystem::temp_directory_path();
}

}  // namespace ferrowick::testing

#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when
// the test ends. Paths come back as the UTF-16 text the core works with.
#include <stdlib.h>
#include <unistd.h>

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
        std::string pattern = (base / "ferrowick-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
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
    std::filesystem::path Native(const std::string& relative) const { return root_ / relative; }
    // The root, or an item below it, as UTF-16 text (no trailing separator).
    std::u16string Text(const std::string& relative = "") const {
        return FromNative(relative.empty() ? root_.string() : (root_ / relative).string());
    }

    void Folder(const std::string& relative) const { std::filesystem::create_directories(root_ / relative); }
    void File(const std::string& relative, const std::string& content = "") const {
        const auto path = root_ / relative;
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
    return std::filesystem::is_directory("/dev/shm", ignored) && access("/dev/shm", W_OK) == 0
               ? std::filesystem::path("/dev/shm")
               : std::filesystem::temp_directory_path();
}

}  // namespace ferrowick::testing

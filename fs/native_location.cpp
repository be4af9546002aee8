#include "fs/native_location.hpp"

#include <unistd.h>

#include <cerrno>
#include <climits>

#include "fs/text.hpp"

namespace ferrowick::fs {
namespace {

// Longest piece handed to the kernel in one call, leaving room for the terminating NUL.
constexpr std::size_t kLongestPiece = PATH_MAX - 1;

}  // namespace

NativeLocation::NativeLocation(std::u16string_view path) {
    std::string bytes = ToNative(path);
    if (bytes.size() <= kLongestPiece) {
        rest_ = std::move(bytes);
        return;
    }
    std::size_t start = 0;
    while (bytes.size() - start > kLongestPiece) {
        // Open the longest run of whole folders that fits, then carry on from there.
        const std::size_t slash = bytes.rfind('/', start + kLongestPiece - 1);
        if (slash == std::string::npos || slash < start) {
            error_ = ENAMETOOLONG;  // one name longer than the kernel allows
            break;
        }
        const std::string piece = slash == start ? std::string("/") : bytes.substr(start, slash - start);
        const int next = openat(folder_, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (next < 0) {
            error_ = errno;
            break;
        }
        if (folder_ != AT_FDCWD) close(folder_);
        folder_ = next;
        start = slash + 1;
        while (start < bytes.size() && bytes[start] == '/') ++start;
    }
    if (error_ == 0) {
        rest_ = bytes.substr(start);
        if (rest_.empty()) rest_.push_back('.');  // the path ended in a separator: the folder itself
    }
}

NativeLocation::~NativeLocation() {
    if (folder_ != AT_FDCWD) close(folder_);
}

}  // namespace ferrowick::fs

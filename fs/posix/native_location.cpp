#include "fs/posix/native_location.hpp"

#include <unistd.h>

#include <cerrno>
#include <climits>

#include "fs/text.hpp"

namespace ferrowick::fs {
namespace {

// Longest piece handed to the kernel in one call, leaving room for the terminating NUL.
constexpr std::size_t kLongestPiece = PATH_MAX - 1;

// Paths up to this length go to the kernel whole.
constexpr std::size_t kWholeUpTo = kLongestPiece;

// Opens `relative` below `start` (AT_FDCWD or a descriptor, which stays open) in pieces
// short enough for the kernel; the new descriptor, or -1 with the errno in `error`.
int OpenFolderInPieces(int start, const std::string& relative, int& error) {
    int folder = start;
    std::size_t at = 0;
    while (at < relative.size()) {
        std::size_t end = relative.size();
        if (end - at > kLongestPiece) {
            end = relative.rfind('/', at + kLongestPiece - 1);
            if (end == std::string::npos || end < at) {
                error = ENAMETOOLONG;  // one name longer than the kernel allows
                break;
            }
        }
        const std::string piece = end == at ? std::string(1, '/') : relative.substr(at, end - at);
        const int next = openat(folder, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (next < 0) {
            error = errno;
            break;
        }
        if (folder != start) close(folder);
        folder = next;
        at = end;
        while (at < relative.size() && relative[at] == '/') ++at;
    }
    if (error != 0) {
        if (folder != start) close(folder);
        return -1;
    }
    return folder == start ? dup(start) : folder;
}

}  // namespace

NativeLocation::NativeLocation(std::u16string_view path) {
    std::string bytes = ToNative(path);
    if (bytes.size() <= kWholeUpTo) {
        rest_ = std::move(bytes);
        return;
    }
    const std::size_t lastSlash = bytes.rfind('/');
    if (lastSlash == std::string::npos) {
        error_ = ENAMETOOLONG;
        return;
    }
    const std::string folderPart = bytes.substr(0, lastSlash == 0 ? 1 : lastSlash);
    rest_ = bytes.substr(lastSlash + 1);
    if (rest_.empty()) rest_.push_back('.');  // the path ended in a separator: the folder itself

    // Looked up afresh every time, like any short path: a folder renamed or replaced since
    // the last call is never reached under its old name.
    const int opened = OpenFolderInPieces(AT_FDCWD, folderPart, error_);
    if (opened >= 0) folder_ = opened;
}

NativeLocation::~NativeLocation() {
    if (folder_ != AT_FDCWD) close(folder_);
}

}  // namespace ferrowick::fs

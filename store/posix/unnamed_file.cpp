#include "store/unnamed_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace ferrowick {

int OpenUnnamed(const std::filesystem::path& folder) {
#ifdef O_TMPFILE
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    if (::access(UnnamedFilePath(fd).c_str(), F_OK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
#else
    (void)folder;
    return -1;
#endif
}

std::filesystem::path UnnamedFilePath(int unnamed) { return "/proc/self/fd/" + std::to_string(unnamed); }

void CloseUnnamed(int unnamed) { ::close(unnamed); }

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace ferrowick

#include "fs/readable_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "fs/posix/native_location.hpp"
#include "fs/text.hpp"

namespace ferrowick::fs {
namespace {

std::u16string NotOpened(int error) { return u"could not be opened: " + FromNative(std::strerror(error)); }

std::u16string NotRegular(mode_t mode) { return u"is not a regular file: " + std::u16string(KindOfItem(mode)); }

}  // namespace

std::u16string_view KindOfItem(unsigned mode) {
    switch (mode & S_IFMT) {
        case S_IFREG:
            return u"regular file";
        case S_IFDIR:
            return u"folder";
        case S_IFIFO:
            return u"named pipe";
        case S_IFCHR:
            return u"character device";
        case S_IFBLK:
            return u"block device";
        case S_IFSOCK:
            return u"socket";
        case S_IFLNK:
            return u"symbolic link";
        default:
            return u"unknown kind of item";
    }
}

ReadableFile ReadableFile::Open(std::u16string_view path) {
    ReadableFile file;
    const NativeLocation location(path);
    if (location.Error() != 0) {
        file.error_ = location.Error();
        file.problem_ = NotOpened(file.error_);
        return file;
    }
    // The kind first, following links, so that nothing but a regular file is ever opened.
    struct stat before {};
    if (fstatat(location.Folder(), location.Rest(), &before, 0) != 0) {
        file.error_ = errno;
        file.problem_ = NotOpened(file.error_);
        return file;
    }
    if (!S_ISREG(before.st_mode)) {
        file.error_ = EINVAL;
        file.problem_ = NotRegular(before.st_mode);
        return file;
    }
    // Without blocking and without becoming a terminal's: the item may have been replaced
    // by a pipe or a device since it was looked at.
    const int descriptor = openat(location.Folder(), location.Rest(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        file.error_ = errno;
        file.problem_ = NotOpened(file.error_);
        return file;
    }
    struct stat opened {};
    if (fstat(descriptor, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        const bool unreadable = opened.st_mode == 0;
        file.error_ = unreadable ? errno : EINVAL;
        file.problem_ = unreadable ? NotOpened(file.error_) : NotRegular(opened.st_mode);
        close(descriptor);
        return file;
    }
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags >= 0) fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    file.descriptor_ = descriptor;
    file.size_ = static_cast<std::uint64_t>(opened.st_size);
    return file;
}

void ReadableFile::CloseDescriptor(int descriptor) { close(descriptor); }

}  // namespace ferrowick::fs

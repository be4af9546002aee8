#include "fs/posix/item_status.hpp"

#include <fcntl.h>

#include <cerrno>

#include "fs/file_times.hpp"

namespace ferrowick::fs {
namespace {

std::uint32_t AttributesOf(mode_t mode, bool leadsToFolder, std::u16string_view leaf) {
    std::uint32_t attributes = 0;
    if (S_ISDIR(mode)) attributes |= kAttributeFolder;
    if (S_ISLNK(mode)) attributes |= kAttributeSymbolicLink | (leadsToFolder ? kAttributeFolder : 0);
    if (S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode) || S_ISSOCK(mode)) attributes |= kAttributeSystem;
    if (!S_ISLNK(mode) && (mode & S_IWUSR) == 0) attributes |= kAttributeReadOnly;
    if (!leaf.empty() && leaf[0] == u'.' && leaf != u"." && leaf != u"..") attributes |= kAttributeHidden;
    return attributes == 0 ? kAttributeNormal : attributes;
}

std::uint64_t FileTimeOf(const struct statx_timestamp& t) { return FileTimeFromPosix(t.tv_sec, t.tv_nsec); }

}  // namespace

std::optional<ItemStatus> ReadItemStatus(int folder, const char* name, std::u16string_view leaf, bool withDetails,
                                         int& error) {
    struct statx sx {};
    const unsigned mask = withDetails ? (STATX_BASIC_STATS | STATX_BTIME) : (STATX_TYPE | STATX_MODE);
    if (statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &sx) != 0) {
        error = errno;
        return std::nullopt;
    }
    bool leadsToFolder = false;
    if (S_ISLNK(sx.stx_mode)) {
        struct stat target {};
        leadsToFolder = fstatat(folder, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    }
    ItemStatus status;
    status.Attributes = AttributesOf(sx.stx_mode, leadsToFolder, leaf);
    if (withDetails) {
        status.Size = S_ISDIR(sx.stx_mode) ? 0 : sx.stx_size;
        status.LastAccessed = FileTimeOf(sx.stx_atime);
        status.LastWritten = FileTimeOf(sx.stx_mtime);
        status.Created = FileTimeOf((sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime);
    }
    error = 0;
    return status;
}

}  // namespace ferrowick::fs

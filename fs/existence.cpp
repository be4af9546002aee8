#include "fs/existence.hpp"

#include <string>

#include "fs/directory_listing.hpp"
#include "fs/last_error.hpp"
#include "fs/path_attributes.hpp"
#include "fs/path_names.hpp"

namespace ferrowick::fs {

bool FileExists(std::u16string_view path) {
    const std::int32_t attributes = GetPathAttributes(path);
    if (attributes != kInvalidAttributes && (attributes & kAttributeFolder) == 0) return true;
    // Unreadable or a folder: a search for the path itself may still find a file.
    FileEntry scratch;
    const SearchHandle handle = FindFirstEntry(path, scratch);
    bool exists = false;
    if (handle != kNoSearch) {
        exists = (scratch.Attributes & kAttributeFolder) == 0;
        CloseSearchHandle(handle);
    }
    SetLastError(0);
    return exists;
}

bool FolderExists(std::u16string_view path) {
    const std::u16string folder = AddBackslash(path);
    bool exists = false;
    const std::int32_t attributes = GetPathAttributes(path);
    if (attributes != kInvalidAttributes && (attributes & kAttributeFolder) != 0) {
        exists = true;
    } else {
        FileEntry scratch;
        const SearchHandle handle = FindFirstEntry(folder + u"*.*", scratch);
        if (handle != kNoSearch) {
            exists = true;
            CloseSearchHandle(handle);
        } else {
            exists = FileExists(folder + u"nul");
        }
    }
    SetLastError(0);
    return exists;
}

}  // namespace ferrowick::fs

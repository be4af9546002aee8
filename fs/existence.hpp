#pragma once
// Whether a path names an existing file or folder. Neither throws; LastError is 0 after.
#include <string_view>

namespace ferrowick::fs {

// An existing item that is not a folder; a pattern counts when its first match is one.
bool FileExists(std::u16string_view path);

// An existing folder, given with or without a trailing separator.
bool FolderExists(std::u16string_view path);

}  // namespace ferrowick::fs

#pragma once
// Splitting file-system paths into folder and file name, and the one place where a
// discovered path becomes a path inside the store. The store's folder paths always use
// "\"; file-system paths use the platform's separator.
#include <string>

#include "fs/path_separator.hpp"

namespace ferrowick {

using fs::kPathSeparator;
inline constexpr char16_t kStoreSeparator = u'\\';

// The text after the last separator; the whole text when there is none; empty when the
// path ends in a separator.
std::u16string FileNameOf(const std::u16string& path, char16_t separator = kPathSeparator);

// The text up to and including the last separator; empty when there is none.
std::u16string ParentFolderOf(const std::u16string& path, char16_t separator = kPathSeparator);

// A discovered path relative to the source root, with the platform's separators. The root
// is taken off only when the path starts with it as whole components (a root of "/" or a
// folder that repeats the root's name deeper down stays intact). A path outside the root
// keeps its full text.
std::u16string RelativeToRoot(const std::u16string& path, const std::u16string& sourceRoot,
                              char16_t separator = kPathSeparator);

// The same as a store path: "\" between the parts, each name as the store shows it
// (see store_folder_names.hpp).
std::u16string StoreRelativePath(const std::u16string& path, const std::u16string& sourceRoot,
                                 char16_t separator = kPathSeparator);

}  // namespace ferrowick

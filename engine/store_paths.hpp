#pragma once
// Where a discovered path goes in the store: its text relative to the source root, then as a
// store path. The store's folder paths always use "\\"; file-system paths use the platform's
// separator. Splitting a path into folder and name is fs/path_names.hpp's.
#include <string>

#include "fs/path_separator.hpp"

namespace ferrowick {

inline constexpr char16_t kStoreSeparator = u'\\';

// A discovered path relative to the source root, with the platform's separators. The root
// is taken off only when the path starts with it as whole components (a root of "/" or a
// folder that repeats the root's name deeper down stays intact). A path outside the root
// keeps its full text.
std::u16string RelativeToRoot(const std::u16string& path, const std::u16string& sourceRoot,
                              char16_t separator = fs::kPathSeparator);

// The same as a store path: "\\" between the parts, each name as the store shows it
// (see store_folder_names.hpp).
std::u16string StoreRelativePath(const std::u16string& path, const std::u16string& sourceRoot,
                                 char16_t separator = fs::kPathSeparator);

}  // namespace ferrowick

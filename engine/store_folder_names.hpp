#pragma once
// Names on disk as folder names in the store. The store's names are shown by Outlook, so
// they must be valid text: a byte of a file name that is not UTF-8 (kept losslessly as
// U+DC80..U+DCFF for opening the file again) is read as Windows-1252, the usual origin of
// such names. A "\" inside a name would be read as a level of the folder path, so it
// becomes U+FF3C FULLWIDTH REVERSE SOLIDUS, which reads the same. Only the store side
// changes; the files are still opened by their own names.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fs/path_separator.hpp"

namespace ferrowick {

inline constexpr char16_t kBackslashStandIn = u'\uFF3C';

// One name on disk as a store folder name (also the store's display name).
std::u16string StoreFolderName(std::u16string_view diskName, char16_t separator = fs::kPathSeparator);

// The folder names of one source tree. A name that had to be changed may come to read like
// a sibling's (in the store's letter-case-blind comparison), which would merge two source
// folders into one store folder: such a name gets " (2)", " (3)"... A name that needed no
// change always keeps it.
class StoreFolderNames {
public:
    // The tree's folders as paths relative to the source root (platform separators).
    void Learn(const std::vector<std::u16string>& relativePaths, char16_t separator = fs::kPathSeparator);
    // A relative path in the store: each component named as above, "\" between them; empty
    // components (a leading or trailing separator) stay empty.
    std::u16string StorePath(std::u16string_view relativePath, char16_t separator = fs::kPathSeparator) const;

private:
    std::map<std::u16string, std::u16string> renamed_;  // relative disk path -> its last component's store name
};

}  // namespace ferrowick

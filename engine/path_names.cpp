#include "engine/path_names.hpp"

#include "engine/store_folder_names.hpp"

namespace ferrowick {

std::u16string FileNameOf(const std::u16string& path, char16_t separator) {
    const auto last = path.rfind(separator);
    if (last == std::u16string::npos) return path;
    return path.substr(last + 1);
}

std::u16string ParentFolderOf(const std::u16string& path, char16_t separator) {
    return path.substr(0, path.size() - FileNameOf(path, separator).size());
}

std::u16string RelativeToRoot(const std::u16string& path, const std::u16string& sourceRoot,
                              char16_t separator) {
    const bool underRoot =
        !sourceRoot.empty() && path.starts_with(sourceRoot) &&
        (sourceRoot.back() == separator || path.size() == sourceRoot.size() ||
         path[sourceRoot.size()] == separator);
    return underRoot ? path.substr(sourceRoot.size()) : path;
}

std::u16string StoreRelativePath(const std::u16string& path, const std::u16string& sourceRoot,
                                 char16_t separator) {
    return StoreFolderNames().StorePath(RelativeToRoot(path, sourceRoot, separator), separator);
}

}  // namespace ferrowick

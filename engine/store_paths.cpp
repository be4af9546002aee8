#include "engine/store_paths.hpp"

#include "engine/store_folder_names.hpp"

namespace ferrowick {

std::u16string RelativeToRoot(const std::u16string& path, const std::u16string& sourceRoot, char16_t separator) {
    const bool underRoot =
        !sourceRoot.empty() && path.starts_with(sourceRoot) &&
        (sourceRoot.back() == separator || path.size() == sourceRoot.size() || path[sourceRoot.size()] == separator);
    return underRoot ? path.substr(sourceRoot.size()) : path;
}

std::u16string StoreRelativePath(const std::u16string& path, const std::u16string& sourceRoot, char16_t separator) {
    return StoreFolderNames().StorePath(RelativeToRoot(path, sourceRoot, separator), separator);
}

}  // namespace ferrowick

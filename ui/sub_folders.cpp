#include "fs/directory_listing.hpp"
#include "ui/shell_services.hpp"

namespace ferrowick::ui {

std::vector<SubFolder> ListSubFolders(const std::u16string& root) {
    std::vector<SubFolder> found;
    fs::FileEntry entry;
    if (fs::FindFirstEntry(root + u"*", entry) == fs::kNoSearch) return found;
    do {
        if (!entry.Valid || entry.Name == u"." || entry.Name == u"..") continue;
        if ((entry.Attributes & fs::kAttributeFolder) == 0) continue;
        found.push_back(SubFolder{entry.Name, root + entry.Name});
    } while (fs::FindNextEntry(entry));
    return found;
}

}  // namespace ferrowick::ui

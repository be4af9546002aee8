#include <vector>

#include "engine/migration_call.hpp"
#include "engine/store_paths.hpp"
#include "fs/existence.hpp"

namespace ferrowick {

// The discovered sub-folders as a sorted list of store paths, each once. A folder that
// has vanished since discovery repeats the entry before it, which the de-duplication
// removes again.
void MigrationCall::BuildFolderList() {
    const auto& folders = state_.FolderQueue.Entries();
    folderIndex_ = 0;
    folderList_.assign(folders.size() + 1, std::u16string());

    std::vector<std::u16string> relativePaths;
    relativePaths.reserve(folders.size());
    for (const auto& item : folders) relativePaths.push_back(RelativeToRoot(item.path, sourceRoot_));
    folderNames_ = StoreFolderNames();
    folderNames_.Learn(relativePaths);

    std::u16string current, onDisk;
    for (const auto& item : folders) {
        seams_.yielder.Yield();
        if (fs::FolderExists(item.path)) onDisk = item.path;
        current = folderNames_.StorePath(RelativeToRoot(onDisk, sourceRoot_));
        if (!current.empty()) {
            std::u16string entry = current;
            if (entry.back() == kStoreSeparator) entry.pop_back();
            folderList_[folderIndex_] = entry;
            ++folderIndex_;
        }
        seams_.board.SetCurrentDbx(u"Reading Folder(s)... " + current);
    }

    QuickSortStrings(folderList_, 0, static_cast<std::int64_t>(folderList_.size()) - 1, seams_.yielder);
    seams_.yielder.Yield();
    RemoveAdjacentDuplicates(folderList_, seams_.yielder);
    seams_.yielder.Yield();
    seams_.board.SetCurrentDbx(u"Creating Outlook Folders...");
}

}  // namespace ferrowick

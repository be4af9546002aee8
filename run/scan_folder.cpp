#include "run/scan_folder.hpp"

#include <cstring>
#include <vector>

#include "fs/directory_listing.hpp"
#include "fs/path_attributes.hpp"  // kInvalidAttributes
#include "fs/path_names.hpp"
#include "fs/path_separator.hpp"
#include "fs/text.hpp"

namespace ferrowick {
namespace {

constexpr std::u16string_view kEveryEntry = u"*";
constexpr std::u16string_view kQueuedCaption = u" Messages Queued for Conversion.";
constexpr std::u16string_view kLinkNotFollowed = u"symbolic link to a folder, not followed";

// Discovery needs each entry's name and kind only. The kind comes with the listing (the
// folder records it), so no item is looked up a second time: a tree of 100,000 files
// is walked in about the time find(1) takes, where a lookup per entry costs ten times that.
constexpr fs::ListingDetail kWalkDetail = fs::ListingDetail::NameAndKind;

std::int32_t AttributesOf(const fs::FileEntry& entry) { return static_cast<std::int32_t>(entry.Attributes); }

bool IsDotEntry(std::u16string_view name) { return name == u"." || name == u".."; }

// A folder to queue and descend into. Links to folders are left out (a link to an
// ancestor would make the walk endless), and so are entries whose attributes cannot be
// read: their -1 has the folder bit set but names no folder.
bool IsFolderToDescend(std::int32_t attributes) {
    return attributes != fs::kInvalidAttributes && (attributes & fs::kAttributeFolder) != 0 &&
           (attributes & fs::kAttributeSymbolicLink) == 0;
}

bool IsLinkToFolder(std::int32_t attributes) {
    return attributes != fs::kInvalidAttributes && (attributes & fs::kAttributeFolder) != 0 &&
           (attributes & fs::kAttributeSymbolicLink) != 0;
}

// A folder as the report names it: without its trailing separator.
std::u16string FolderPathOf(std::u16string_view folder) {
    if (folder.size() > 1 && folder.back() == fs::kPathSeparator) folder.remove_suffix(1);
    return std::u16string(folder);
}

std::u16string NotListedReason(std::int32_t errorCode) {
    return u"could not be listed: " + FromNative(std::strerror(errorCode));
}

// Anything without the folder bit is queued as a file; -1 and links to folders carry it.
bool IsFileToQueue(std::int32_t attributes) { return (attributes & fs::kAttributeFolder) == 0; }

// Closes the pass's search if the pass is left while it is still open.
class OpenSearch {
public:
    explicit OpenSearch(fs::FileEntry& entry) : entry_(entry) {}
    ~OpenSearch() {
        if (entry_.Handle != fs::kNoSearch && entry_.Handle != fs::kSearchEnded) fs::CloseFind(entry_);
    }
    OpenSearch(const OpenSearch&) = delete;
    OpenSearch& operator=(const OpenSearch&) = delete;

private:
    fs::FileEntry& entry_;
};

bool Started(fs::SearchHandle handle) { return handle != fs::kNoSearch && handle != fs::kSearchEnded; }

class Discovery {
public:
    Discovery(const std::u16string& pattern, std::int32_t& nextMessageNumber, std::int32_t& nextFolderNumber,
              KeyedQueue& messageQueue, KeyedQueue& folderQueue, StatusBoard& board, Yielder& yielder,
              std::vector<NotConvertedFile>& passedOver)
        : pattern_(pattern),
          nextMessageNumber_(nextMessageNumber),
          nextFolderNumber_(nextFolderNumber),
          messageQueue_(messageQueue),
          folderQueue_(folderQueue),
          board_(board),
          yielder_(yielder),
          passedOver_(passedOver) {}

    // Both passes over one folder (which ends in the separator); returns the names of the
    // sub-folders it queued, in listing order. A folder that cannot be listed is passed
    // over once, not once per pass.
    std::vector<std::u16string> ScanOne(const std::u16string& folder) {
        yielder_.Yield();
        bool listed = true;
        std::vector<std::u16string> subFolders = QueueSubFolders(folder, listed);
        if (listed) QueueFiles(folder);
        return subFolders;
    }

    void Yield() { yielder_.Yield(); }

private:
    void PassOver(std::u16string folderPath, std::u16string reason) {
        passedOver_.push_back(NotConvertedFile(std::move(folderPath), std::move(reason), NotConvertedKind::Folder));
    }

    std::vector<std::u16string> QueueSubFolders(const std::u16string& folder, bool& listed) {
        std::vector<std::u16string> names;
        fs::FileEntry entry;
        if (!Started(fs::FindFirstEntry(folder + std::u16string(kEveryEntry), entry, kWalkDetail))) {
            // Every folder holds at least "." and "..": nothing at all means it was not read.
            listed = false;
            if (entry.Failed) PassOver(FolderPathOf(folder), NotListedReason(entry.ErrorCode));
            return names;
        }
        const OpenSearch search(entry);
        do {
            yielder_.Yield();
            if (IsDotEntry(fs::TrimAtNullView(entry.Name))) continue;
            yielder_.Yield();
            if (IsLinkToFolder(AttributesOf(entry))) {
                PassOver(folder + fs::TrimAtNull(entry.Name), std::u16string(kLinkNotFollowed));
                continue;
            }
            if (!IsFolderToDescend(AttributesOf(entry))) continue;
            yielder_.Yield();
            std::u16string name = fs::TrimAtNull(entry.Name);
            folderQueue_.Add(DecimalText(nextFolderNumber_) + u"Z", folder + name);
            ++nextFolderNumber_;
            names.push_back(std::move(name));
        } while (fs::FindNextEntry(entry));
        return names;
    }

    void QueueFiles(const std::u16string& folder) {
        fs::FileEntry entry;
        if (!Started(fs::FindFirstEntry(folder + pattern_, entry, kWalkDetail))) return;
        const OpenSearch search(entry);
        yielder_.Yield();
        do {
            yielder_.Yield();
            const std::u16string_view name = fs::TrimAtNullView(entry.Name);
            if (IsDotEntry(name) || !IsFileToQueue(AttributesOf(entry))) continue;
            std::u16string fullPath = folder;
            fullPath.append(name);
            yielder_.Yield();
            const std::u16string number = DecimalText(nextMessageNumber_);
            messageQueue_.Add(number + u"K", std::move(fullPath));
            board_.SetCount1(number + std::u16string(kQueuedCaption));
            ++nextMessageNumber_;
        } while (fs::FindNextEntry(entry));
    }

    const std::u16string& pattern_;
    std::int32_t& nextMessageNumber_;
    std::int32_t& nextFolderNumber_;
    KeyedQueue& messageQueue_;
    KeyedQueue& folderQueue_;
    StatusBoard& board_;
    Yielder& yielder_;
    std::vector<NotConvertedFile>& passedOver_;
};

// One folder whose sub-folders are being descended into, depth first. The path of the
// folder being scanned is one shared text, cut back to `pathLength` for each sub-folder.
struct PendingFolder {
    std::vector<std::u16string> subFolders;
    std::size_t next = 0;
    std::size_t pathLength = 0;
};

}  // namespace

void ScanFolder(std::u16string& folder, const std::u16string& pattern, std::int32_t& nextMessageNumber,
                std::int32_t& nextFolderNumber, KeyedQueue& messageQueue, KeyedQueue& folderQueue, StatusBoard& board,
                Yielder& yielder, std::vector<NotConvertedFile>& passedOver) {
    if (folder.empty() || folder.back() != fs::kPathSeparator) folder.push_back(fs::kPathSeparator);
    Discovery discovery(pattern, nextMessageNumber, nextFolderNumber, messageQueue, folderQueue, board, yielder,
                        passedOver);

    // An explicit stack instead of nested calls, so a tree thousands of folders deep
    // cannot exhaust the call stack; the order of queues and yields is the nested one.
    std::u16string path = folder;
    std::vector<PendingFolder> pending;
    pending.push_back(PendingFolder{discovery.ScanOne(path), 0, path.size()});
    if (!pending.back().subFolders.empty()) discovery.Yield();
    while (!pending.empty()) {
        PendingFolder& top = pending.back();
        if (top.next == top.subFolders.size()) {
            pending.pop_back();
            continue;
        }
        discovery.Yield();
        path.resize(top.pathLength);
        path += top.subFolders[top.next++];
        path.push_back(fs::kPathSeparator);
        std::vector<std::u16string> subFolders = discovery.ScanOne(path);
        const bool descend = !subFolders.empty();
        pending.push_back(PendingFolder{std::move(subFolders), 0, path.size()});
        if (descend) discovery.Yield();
    }
}

void ScanFolder(std::u16string& folder, const std::u16string& pattern, std::int32_t& nextMessageNumber,
                std::int32_t& nextFolderNumber, KeyedQueue& messageQueue, KeyedQueue& folderQueue, StatusBoard& board,
                Yielder& yielder) {
    std::vector<NotConvertedFile> ignored;
    ScanFolder(folder, pattern, nextMessageNumber, nextFolderNumber, messageQueue, folderQueue, board, yielder,
               ignored);
}

}  // namespace ferrowick

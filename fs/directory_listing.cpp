#include "fs/directory_listing.hpp"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "fs/api_support.hpp"
#include "fs/file_times.hpp"
#include "fs/item_status.hpp"
#include "fs/last_error.hpp"
#include "fs/listing_order.hpp"
#include "fs/name_pattern.hpp"
#include "fs/native_location.hpp"
#include "fs/path_names.hpp"
#include "fs/path_separator.hpp"
#include "fs/text.hpp"

namespace ferrowick::fs {
namespace {

struct ListedItem {
    std::string native;    // the name's bytes, to reach the item again
    std::u16string name;
    unsigned char type = DT_UNKNOWN;  // the folder's record of the item's type
    int rank = 0;                     // ListingRank(name)
    std::uint32_t keyOffset = 0;      // the sort key, within the folder's key buffer
    std::uint32_t keyLength = 0;
};

// One open search: the folder (a descriptor, so items are looked up relative to it) and
// the matching items read at the start.
struct Search {
    ListingDetail detail = ListingDetail::Full;
    int folder = -1;
    std::vector<ListedItem> items;
    std::size_t next = 0;
    ~Search() {
        if (folder >= 0) close(folder);
    }
};

// Open searches by handle; handles are never 0 or -1 and never reused.
class SearchTable {
public:
    SearchHandle Add(std::unique_ptr<Search> search) {
        std::lock_guard lock(mutex_);
        const SearchHandle handle = nextHandle_++;
        searches_.emplace(handle, std::move(search));
        return handle;
    }
    Search* Find(SearchHandle handle) {
        std::lock_guard lock(mutex_);
        const auto it = searches_.find(handle);
        return it == searches_.end() ? nullptr : it->second.get();
    }
    bool Remove(SearchHandle handle) {
        std::unique_ptr<Search> removed;
        std::lock_guard lock(mutex_);
        const auto it = searches_.find(handle);
        if (it == searches_.end()) return false;
        removed = std::move(it->second);
        searches_.erase(it);
        return true;
    }

private:
    std::mutex mutex_;
    std::unordered_map<SearchHandle, std::unique_ptr<Search>> searches_;
    SearchHandle nextHandle_ = 0x100;
};

SearchTable& Searches() {
    static SearchTable table;
    return table;
}

ListedItem MakeItem(std::string native, unsigned char type) {
    ListedItem item;
    item.name = FromNative(native);
    item.native = std::move(native);
    item.type = type;
    return item;
}

void SortInListingOrder(std::vector<ListedItem>& items) {
    std::size_t keyBytes = 0;
    for (const ListedItem& item : items) keyBytes += 2 * item.name.size();
    std::string keys;
    keys.reserve(keyBytes);
    for (ListedItem& item : items) {
        item.rank = ListingRank(item.name);
        item.keyOffset = static_cast<std::uint32_t>(keys.size());
        AppendListingKey(item.name, keys);
        item.keyLength = static_cast<std::uint32_t>(keys.size()) - item.keyOffset;
    }
    const std::string_view allKeys = keys;
    std::sort(items.begin(), items.end(), [allKeys](const ListedItem& a, const ListedItem& b) {
        if (a.rank != b.rank) return a.rank < b.rank;
        const int byKey = allKeys.substr(a.keyOffset, a.keyLength).compare(allKeys.substr(b.keyOffset, b.keyLength));
        return byKey != 0 ? byKey < 0 : a.name < b.name;
    });
}

// Reads the matching names of a folder; the errno on failure.
int ReadFolder(Search& search, std::u16string_view folder, std::u16string_view pattern) {
    const NativeLocation location(folder.empty() ? std::u16string_view(u".") : folder);
    if (location.Error() != 0) return location.Error();
    search.folder = openat(location.Folder(), location.Rest(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (search.folder < 0) return errno;
    const int readerFd = dup(search.folder);
    if (readerFd < 0) return errno;
    DIR* reader = fdopendir(readerFd);
    if (reader == nullptr) {
        const int error = errno;
        close(readerFd);
        return error;
    }
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* d = readdir(reader);
        if (d == nullptr) {
            error = errno;
            break;
        }
        const std::string native(d->d_name);
        if (pattern == u"*" || pattern == u"*.*" || MatchesPattern(FromNative(native), pattern))
            search.items.push_back(MakeItem(native, d->d_type));
    }
    closedir(reader);
    if (error != 0) return error;
    SortInListingOrder(search.items);
    return search.items.empty() ? ENOENT : 0;
}

// A pattern without wildcards names one item: look it up rather than read the folder.
int LookUpName(Search& search, std::u16string_view folder, std::u16string_view name) {
    const NativeLocation location(folder.empty() ? std::u16string_view(u".") : folder);
    if (location.Error() != 0) return location.Error();
    search.folder = openat(location.Folder(), location.Rest(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (search.folder < 0) return errno;
    ListedItem item = MakeItem(ToNative(name), DT_UNKNOWN);
    int error = 0;
    if (!ReadItemStatus(search.folder, item.native.c_str(), item.name, false, error)) return error;
    search.items.push_back(std::move(item));
    return 0;
}

bool IsHiddenName(std::u16string_view name) {
    return !name.empty() && name[0] == u'.' && name != u"." && name != u"..";
}

// The kind bits of an item from the folder's record of its type; a lookup only for links
// and for file systems that record no type.
std::uint32_t KindAttributes(const Search& search, const ListedItem& item) {
    const std::uint32_t hidden = IsHiddenName(item.name) ? kAttributeHidden : 0;
    switch (item.type) {
        case DT_DIR: return kAttributeFolder | hidden;
        case DT_REG: return hidden != 0 ? hidden : kAttributeNormal;
        case DT_CHR: case DT_BLK: case DT_FIFO: case DT_SOCK: return kAttributeSystem | hidden;
        default: break;
    }
    int error = 0;
    const auto status = ReadItemStatus(search.folder, item.native.c_str(), item.name, false, error);
    if (!status) return static_cast<std::uint32_t>(-1);
    const std::uint32_t kinds =
        status->Attributes & (kAttributeFolder | kAttributeSymbolicLink | kAttributeSystem | kAttributeHidden);
    return kinds != 0 ? kinds : kAttributeNormal;
}

void FillKind(FileEntry& entry, const Search& search, const ListedItem& item) {
    entry.Attributes = KindAttributes(search, item);
    entry.IsFolder = (entry.Attributes & kAttributeFolder) != 0;
    entry.IsFile = !entry.IsFolder;
    entry.Created = entry.LastAccessed = entry.LastWritten = FileTimeInfo{};
    entry.Size = 0;
    entry.SizeOnDisk = 0;
}

void FillEntry(FileEntry& entry, const Search& search, const ListedItem& item) {
    // Assigned in place: the entry's buffers are reused from item to item.
    const std::u16string_view name = TrimAtNullView(item.name);
    entry.Name.assign(name);
    entry.ShortName.assign(name);
    const std::size_t dot = name.rfind(u'.');
    entry.Extension.assign(dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1));
    entry.FullPath.assign(entry.ParentFolder).append(name);
    if (search.detail == ListingDetail::NameAndKind) {
        FillKind(entry, search, item);
        return;
    }
    int error = 0;
    auto status = ReadItemStatus(search.folder, item.native.c_str(), item.name, true, error);
    if (!status) {
        // Gone since the folder was read: report what the folder said of it.
        status.emplace();
        status->Attributes = item.type == DT_DIR ? kAttributeFolder : kAttributeNormal;
    }
    entry.Attributes = status->Attributes;
    entry.IsFolder = (entry.Attributes & kAttributeFolder) != 0;
    entry.IsFile = !entry.IsFolder;
    ConvertFileTime(status->Created, entry.Created);
    ConvertFileTime(status->LastAccessed, entry.LastAccessed);
    ConvertFileTime(status->LastWritten, entry.LastWritten);
    if (entry.IsFolder) {
        entry.Size = 0;
        entry.SizeOnDisk = 0;
    } else {
        entry.Size = status->Size;
        entry.SizeOnDisk = (entry.Attributes & kAttributeCompressed) ? GetSizeOnDisk(entry) : entry.Size;
    }
}

void MarkStepFailed(FileEntry& entry) {
    entry.Valid = false;
    if (LastError() == kNoMoreFiles) {
        entry.Failed = false;
        entry.ErrorCode = 0;
    } else {
        entry.Failed = true;
        entry.ErrorCode = LastError();
    }
}

}  // namespace

SearchHandle FindFirstEntry(std::u16string_view pathOrPattern, FileEntry& entry, ListingDetail detail) {
    EnsureApiSupport();
    entry.SearchPath.assign(pathOrPattern);
    ParsePath(pathOrPattern, entry);
    if (entry.Kind == kFtpPath) {
        entry.Valid = false;
        entry.Failed = false;
        entry.ErrorCode = 0;
        return kSearchEnded;
    }
    const std::u16string_view pattern = pathOrPattern.substr(entry.ParentFolder.size());
    auto search = std::make_unique<Search>();
    search->detail = detail;
    int error = ENOENT;
    if (!pattern.empty() && pattern.find(kPathSeparator) == std::u16string_view::npos) {
        error = HasWildcards(pattern) ? ReadFolder(*search, entry.ParentFolder, pattern)
                                      : LookUpName(*search, entry.ParentFolder, pattern);
    }
    if (error != 0) {
        RecordLastError(error);
        MarkStepFailed(entry);
        entry.Handle = kNoSearch;
        return kNoSearch;
    }
    FillEntry(entry, *search, search->items[0]);
    search->next = 1;
    entry.Handle = Searches().Add(std::move(search));
    SetLastError(0);
    entry.Valid = true;
    entry.Failed = false;
    entry.ErrorCode = 0;
    return entry.Handle;
}

bool FindNextEntry(FileEntry& entry) {
    EnsureApiSupport();
    Search* search = Searches().Find(entry.Handle);
    if (search != nullptr && search->next < search->items.size()) {
        FillEntry(entry, *search, search->items[search->next++]);
        SetLastError(0);
        entry.Valid = true;
        return true;
    }
    RecordLastError(search != nullptr ? kNoMoreFiles : EBADF);
    MarkStepFailed(entry);
    CloseFind(entry);
    entry.Handle = kSearchEnded;
    return false;
}

bool CloseSearchHandle(SearchHandle handle) {
    if (Searches().Remove(handle)) {
        SetLastError(0);
        return true;
    }
    RecordLastError(EBADF);
    return false;
}

bool CloseFind(FileEntry& entry) {
    bool closed = true;
    if (entry.Handle != kSearchEnded && entry.Handle != kNoSearch) {
        closed = CloseSearchHandle(entry.Handle);
    } else {
        SetLastError(0);
    }
    entry.Valid = false;
    entry.Handle = kNoSearch;
    return closed;
}

std::uint64_t GetSizeOnDisk(const FileEntry& entry) {
    EnsureApiSupport();
    return entry.Size;
}

}  // namespace ferrowick::fs

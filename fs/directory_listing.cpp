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
    std::u16string key;    // ListingKey(name)
    bool isFolderHint = false;  // from the folder itself, used only if the item vanished
};

// One open search: the folder (a descriptor, so items are looked up relative to it) and
// the matching items read at the start.
struct Search {
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

ListedItem MakeItem(std::string native, bool isFolderHint) {
    ListedItem item;
    item.name = FromNative(native);
    item.key = ListingKey(item.name);
    item.native = std::move(native);
    item.isFolderHint = isFolderHint;
    return item;
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
            search.items.push_back(MakeItem(native, d->d_type == DT_DIR));
    }
    closedir(reader);
    if (error != 0) return error;
    std::sort(search.items.begin(), search.items.end(), [](const ListedItem& a, const ListedItem& b) {
        return ListsBefore(a.name, a.key, b.name, b.key);
    });
    return search.items.empty() ? ENOENT : 0;
}

// A pattern without wildcards names one item: look it up rather than read the folder.
int LookUpName(Search& search, std::u16string_view folder, std::u16string_view name) {
    const NativeLocation location(folder.empty() ? std::u16string_view(u".") : folder);
    if (location.Error() != 0) return location.Error();
    search.folder = openat(location.Folder(), location.Rest(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (search.folder < 0) return errno;
    ListedItem item = MakeItem(ToNative(name), false);
    int error = 0;
    if (!ReadItemStatus(search.folder, item.native.c_str(), item.name, false, error)) return error;
    search.items.push_back(std::move(item));
    return 0;
}

void FillEntry(FileEntry& entry, const Search& search, const ListedItem& item) {
    entry.Name = TrimAtNull(item.name);
    entry.ShortName = entry.Name;
    entry.Extension = ExtensionOf(entry.Name);
    entry.FullPath = FullPathOf(entry.ParentFolder, entry.Name);
    int error = 0;
    auto status = ReadItemStatus(search.folder, item.native.c_str(), item.name, true, error);
    if (!status) {
        // Gone since the folder was read: report what the folder said of it.
        status.emplace();
        status->Attributes = item.isFolderHint ? kAttributeFolder : kAttributeNormal;
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

SearchHandle FindFirstEntry(std::u16string_view pathOrPattern, FileEntry& entry) {
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

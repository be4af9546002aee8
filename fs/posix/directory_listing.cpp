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

#include "fs/file_times.hpp"
#include "fs/last_error.hpp"
#include "fs/listing_order.hpp"
#include "fs/listing_steps.hpp"
#include "fs/name_pattern.hpp"
#include "fs/path_names.hpp"
#include "fs/path_separator.hpp"
#include "fs/posix/item_status.hpp"
#include "fs/posix/native_location.hpp"
#include "fs/text.hpp"

namespace ferrowick::fs {
namespace {

// One matching item; its name lives in the search's name buffer. Its bytes, to reach it
// again, are the name converted back (the mapping is lossless).
struct ListedItem {
    std::uint32_t nameOffset = 0;
    std::uint32_t nameLength = 0;
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
    std::u16string names;  // every item's name, one after the other
    std::vector<ListedItem> items;
    std::size_t next = 0;

    std::u16string_view NameOf(const ListedItem& item) const {
        return std::u16string_view(names).substr(item.nameOffset, item.nameLength);
    }
    std::string NativeNameOf(const ListedItem& item) const { return ToNative(NameOf(item)); }

    // Adds a name; kept only when `keep` says so of it.
    template <typename Keep>
    void Add(std::string_view native, unsigned char type, Keep keep) {
        const std::size_t offset = names.size();
        AppendFromNative(native, names);
        const std::u16string_view name = std::u16string_view(names).substr(offset);
        if (!keep(name)) {
            names.resize(offset);
            return;
        }
        ListedItem item;
        item.nameOffset = static_cast<std::uint32_t>(offset);
        item.nameLength = static_cast<std::uint32_t>(name.size());
        item.type = type;
        items.push_back(item);
    }
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

void SortInListingOrder(Search& search) {
    std::string keys;
    keys.reserve(2 * search.names.size());
    for (ListedItem& item : search.items) {
        const std::u16string_view name = search.NameOf(item);
        item.rank = ListingRank(name);
        item.keyOffset = static_cast<std::uint32_t>(keys.size());
        AppendListingKey(name, keys);
        item.keyLength = static_cast<std::uint32_t>(keys.size()) - item.keyOffset;
    }
    const std::string_view allKeys = keys;
    std::sort(search.items.begin(), search.items.end(), [&](const ListedItem& a, const ListedItem& b) {
        if (a.rank != b.rank) return a.rank < b.rank;
        const int byKey = allKeys.substr(a.keyOffset, a.keyLength).compare(allKeys.substr(b.keyOffset, b.keyLength));
        return byKey != 0 ? byKey < 0 : search.NameOf(a) < search.NameOf(b);
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
        search.Add(d->d_name, d->d_type, [pattern](std::u16string_view name) { return MatchesPattern(name, pattern); });
    }
    closedir(reader);
    if (error != 0) return error;
    SortInListingOrder(search);
    return search.items.empty() ? ENOENT : 0;
}

// A pattern without wildcards names one item: look it up rather than read the folder.
int LookUpName(Search& search, std::u16string_view folder, std::u16string_view name) {
    const NativeLocation location(folder.empty() ? std::u16string_view(u".") : folder);
    if (location.Error() != 0) return location.Error();
    search.folder = openat(location.Folder(), location.Rest(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (search.folder < 0) return errno;
    const std::string native = ToNative(name);
    int error = 0;
    if (!ReadItemStatus(search.folder, native.c_str(), name, false, error)) return error;
    search.Add(native, DT_UNKNOWN, [](std::u16string_view) { return true; });
    return 0;
}

bool IsHiddenName(std::u16string_view name) {
    return !name.empty() && name[0] == u'.' && name != u"." && name != u"..";
}

// The kind bits of an item from the folder's record of its type; a lookup only for links
// and for file systems that record no type.
std::uint32_t KindAttributes(const Search& search, const ListedItem& item) {
    const std::u16string_view name = search.NameOf(item);
    const std::uint32_t hidden = IsHiddenName(name) ? kAttributeHidden : 0;
    switch (item.type) {
        case DT_DIR:
            return kAttributeFolder | hidden;
        case DT_REG:
            return hidden != 0 ? hidden : kAttributeNormal;
        case DT_CHR:
        case DT_BLK:
        case DT_FIFO:
        case DT_SOCK:
            return kAttributeSystem | hidden;
        default:
            break;
    }
    int error = 0;
    const auto status = ReadItemStatus(search.folder, search.NativeNameOf(item).c_str(), name, false, error);
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
    const std::u16string_view name = TrimAtNullView(search.NameOf(item));
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
    auto status = ReadItemStatus(search.folder, search.NativeNameOf(item).c_str(), name, true, error);
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

}  // namespace

SearchHandle FindFirstEntry(std::u16string_view pathOrPattern, FileEntry& entry, ListingDetail detail) {
    entry.SearchPath.assign(pathOrPattern);
    ParsePath(pathOrPattern, entry);
    if (EndAtFtpPath(entry)) return kSearchEnded;
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
        return MarkNotStarted(entry);
    }
    FillEntry(entry, *search, search->items[0]);
    search->next = 1;
    return MarkStarted(entry, Searches().Add(std::move(search)));
}

bool FindNextEntry(FileEntry& entry) {
    Search* search = Searches().Find(entry.Handle);
    if (search != nullptr && search->next < search->items.size()) {
        FillEntry(entry, *search, search->items[search->next++]);
        SetLastError(0);
        entry.Valid = true;
        return true;
    }
    RecordLastError(search != nullptr ? kNoMoreFiles : EBADF);
    return MarkEnded(entry);
}

bool CloseSearchHandle(SearchHandle handle) {
    if (Searches().Remove(handle)) {
        SetLastError(0);
        return true;
    }
    RecordLastError(EBADF);
    return false;
}

std::uint64_t GetSizeOnDisk(const FileEntry& entry) { return entry.Size; }

}  // namespace ferrowick::fs

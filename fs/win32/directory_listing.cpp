#include "fs/directory_listing.hpp"

#include <windows.h>
// windows.h names a function SearchPath; here it is the entry's field.
#undef SearchPath

#include <mutex>
#include <unordered_map>

#include "fs/file_times.hpp"
#include "fs/last_error.hpp"
#include "fs/listing_steps.hpp"
#include "fs/path_names.hpp"
#include "fs/win32/api_support.hpp"
#include "fs/win32/system_names.hpp"

namespace ferrowick::fs {
namespace {

using win32::Api;

// How an open search was started: the form (its records are of that form) and the detail.
struct SearchForm {
    bool wide = true;
    ListingDetail detail = ListingDetail::Full;
};

// Open searches. A handle is closed only when it is in here: FindClose of one closed
// already would touch freed memory.
class SearchTable {
public:
    void Add(HANDLE handle, SearchForm form) {
        std::lock_guard lock(mutex_);
        forms_[handle] = form;
    }
    bool Find(HANDLE handle, SearchForm& form) {
        std::lock_guard lock(mutex_);
        const auto it = forms_.find(handle);
        if (it == forms_.end()) return false;
        form = it->second;
        return true;
    }
    bool Remove(HANDLE handle) {
        std::lock_guard lock(mutex_);
        return forms_.erase(handle) != 0;
    }

private:
    std::mutex mutex_;
    std::unordered_map<HANDLE, SearchForm> forms_;
};

SearchTable& Searches() {
    static SearchTable table;
    return table;
}

HANDLE AsHandle(SearchHandle handle) { return reinterpret_cast<HANDLE>(handle); }

std::uint64_t TimeOf(const FILETIME& time) { return ToUInt64(time.dwLowDateTime, time.dwHighDateTime); }

// The found item's record, whichever form found it.
struct FoundItem {
    std::u16string name;
    std::u16string alternateName;
    DWORD attributes = 0;
    FILETIME created{}, accessed{}, written{};
    DWORD sizeLow = 0, sizeHigh = 0;
};

template <typename FindData>
void CopyTimesAndSizes(const FindData& data, FoundItem& item) {
    item.attributes = data.dwFileAttributes;
    item.created = data.ftCreationTime;
    item.accessed = data.ftLastAccessTime;
    item.written = data.ftLastWriteTime;
    item.sizeLow = data.nFileSizeLow;
    item.sizeHigh = data.nFileSizeHigh;
}

FoundItem FromRecord(const WIN32_FIND_DATAW& data) {
    FoundItem item;
    item.name = TrimAtNull(std::u16string_view(reinterpret_cast<const char16_t*>(data.cFileName), MAX_PATH));
    item.alternateName =
        TrimAtNull(std::u16string_view(reinterpret_cast<const char16_t*>(data.cAlternateFileName), 14));
    CopyTimesAndSizes(data, item);
    return item;
}

FoundItem FromRecord(const WIN32_FIND_DATAA& data) {
    FoundItem item;
    item.name = TrimAtNull(win32::FromAnsi(
        std::string_view(data.cFileName, MAX_PATH).substr(0, std::string_view(data.cFileName, MAX_PATH).find('\0'))));
    item.alternateName =
        TrimAtNull(win32::FromAnsi(std::string_view(data.cAlternateFileName, 14)
                                       .substr(0, std::string_view(data.cAlternateFileName, 14).find('\0'))));
    CopyTimesAndSizes(data, item);
    return item;
}

std::u16string AfterLastBackslash(std::u16string_view path) {
    const std::size_t slash = path.rfind(u'\\');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

// The 8.3 name of an item the record gave none for; the name itself when it cannot be had.
std::u16string ShortNameOf(const FileEntry& entry) {
    if (entry.Name == u"." || entry.Name == u"..") return entry.Name;
    if (Api().WideShortPath) {
        const std::wstring path = win32::WidePath(entry.FullPath);
        const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
        if (size != 0) {
            std::wstring shortPath(size, L'\0');
            const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), size);
            if (written != 0 && written < size) {
                shortPath.resize(written);
                const std::u16string name = AfterLastBackslash(win32::FromWide(shortPath));
                if (!name.empty()) return name;
            }
        }
    } else if (Api().NarrowShortPathPresent) {
        const std::string path = win32::AnsiPath(entry.FullPath);
        char shortPath[MAX_PATH];
        const DWORD written = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
        if (written != 0 && written < MAX_PATH) {
            const std::u16string name = AfterLastBackslash(win32::FromAnsi(std::string_view(shortPath, written)));
            if (!name.empty()) return name;
        }
    }
    return entry.Name;
}

constexpr std::uint32_t kKindBits = kAttributeFolder | kAttributeSymbolicLink | kAttributeSystem | kAttributeHidden;

void FillEntry(FileEntry& entry, const FoundItem& item, ListingDetail detail) {
    entry.Name = item.name;
    entry.Extension = ExtensionOf(entry.Name);
    entry.FullPath.assign(entry.ParentFolder).append(entry.Name);
    if (detail == ListingDetail::NameAndKind) {
        // Walking a tree needs no 8.3 name: not worth a query per item.
        entry.ShortName = item.alternateName.empty() ? entry.Name : item.alternateName;
        const std::uint32_t kinds = item.attributes & kKindBits;
        entry.Attributes = kinds != 0 ? kinds : kAttributeNormal;
        entry.IsFolder = (entry.Attributes & kAttributeFolder) != 0;
        entry.IsFile = !entry.IsFolder;
        entry.Created = entry.LastAccessed = entry.LastWritten = FileTimeInfo{};
        entry.Size = entry.SizeOnDisk = 0;
        return;
    }
    entry.ShortName = item.alternateName.empty() ? ShortNameOf(entry) : item.alternateName;
    entry.Attributes = item.attributes;
    entry.IsFolder = (entry.Attributes & kAttributeFolder) != 0;
    entry.IsFile = !entry.IsFolder;
    ConvertFileTime(TimeOf(item.created), entry.Created);
    ConvertFileTime(TimeOf(item.accessed), entry.LastAccessed);
    ConvertFileTime(TimeOf(item.written), entry.LastWritten);
    if (entry.IsFolder) {
        entry.Size = entry.SizeOnDisk = 0;
    } else {
        entry.Size = ToUInt64(item.sizeLow, item.sizeHigh);
        entry.SizeOnDisk = entry.Size;
        if ((entry.Attributes & kAttributeCompressed) != 0) entry.SizeOnDisk = GetSizeOnDisk(entry);
    }
}

}  // namespace

SearchHandle FindFirstEntry(std::u16string_view pathOrPattern, FileEntry& entry, ListingDetail detail) {
    const win32::ApiSupport& api = Api();
    entry.SearchPath.assign(pathOrPattern);
    ParsePath(pathOrPattern, entry);
    if (EndAtFtpPath(entry)) return kSearchEnded;
    HANDLE handle = INVALID_HANDLE_VALUE;
    FoundItem item;
    ::SetLastError(0);
    if (api.WideFindFirst) {
        WIN32_FIND_DATAW data{};
        handle = FindFirstFileW(win32::WidePath(pathOrPattern).c_str(), &data);
        if (handle != INVALID_HANDLE_VALUE) item = FromRecord(data);
    } else {
        WIN32_FIND_DATAA data{};
        handle = FindFirstFileA(win32::AnsiPath(pathOrPattern).c_str(), &data);
        if (handle != INVALID_HANDLE_VALUE) item = FromRecord(data);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        RecordLastError();
        return MarkNotStarted(entry);
    }
    Searches().Add(handle, SearchForm{api.WideFindFirst, detail});
    FillEntry(entry, item, detail);
    return MarkStarted(entry, reinterpret_cast<SearchHandle>(handle));
}

bool FindNextEntry(FileEntry& entry) {
    Api();
    const HANDLE handle = AsHandle(entry.Handle);
    SearchForm form;
    bool found = false;
    FoundItem item;
    ::SetLastError(0);
    if (!Searches().Find(handle, form)) {
        ::SetLastError(ERROR_INVALID_HANDLE);
    } else if (form.wide) {
        // A search keeps the form it was started in: the two forms' records differ.
        WIN32_FIND_DATAW data{};
        found = FindNextFileW(handle, &data) != 0;
        if (found) item = FromRecord(data);
    } else {
        WIN32_FIND_DATAA data{};
        found = FindNextFileA(handle, &data) != 0;
        if (found) item = FromRecord(data);
    }
    if (found) {
        FillEntry(entry, item, form.detail);
        SetLastError(0);
        entry.Valid = true;
        return true;
    }
    RecordLastError();
    return MarkEnded(entry);
}

bool CloseSearchHandle(SearchHandle handle) {
    const HANDLE search = AsHandle(handle);
    if (!Searches().Remove(search)) {
        RecordLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (FindClose(search)) {
        SetLastError(0);
        return true;
    }
    RecordLastError();
    return false;
}

std::uint64_t GetSizeOnDisk(const FileEntry& entry) {
    win32::ApiSupport& api = Api();
    if (api.WideCompressedSize) {
        DWORD high = 0;
        ::SetLastError(0);
        const DWORD low = GetCompressedFileSizeW(win32::WidePath(entry.FullPath).c_str(), &high);
        const DWORD error = low == INVALID_FILE_SIZE ? ::GetLastError() : 0;
        if (error == ERROR_CALL_NOT_IMPLEMENTED) {
            api.WideCompressedSize = false;
            return GetSizeOnDisk(entry);
        }
        return error != 0 ? entry.Size : ToUInt64(low, high);
    }
    if (api.NarrowCompressedSizePresent) {
        DWORD high = 0;
        ::SetLastError(0);
        const DWORD low = GetCompressedFileSizeA(win32::AnsiPath(entry.FullPath).c_str(), &high);
        if (low == INVALID_FILE_SIZE && ::GetLastError() != 0) return entry.Size;
        return ToUInt64(low, high);
    }
    return entry.Size;
}

}  // namespace ferrowick::fs

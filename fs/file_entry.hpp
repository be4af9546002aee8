#pragma once
// The record one directory listing fills, one item at a time. The caller owns it and
// passes the same record to every step of a listing.
#include <cstdint>
#include <string>

#include "fs/path_kind.hpp"

namespace ferrowick::fs {

// A search handle: kNoSearch when none was opened (or it was closed early), kSearchEnded
// after the listing ran out inside FindNextEntry, any other value an open search.
using SearchHandle = std::intptr_t;
inline constexpr SearchHandle kNoSearch = -1;
inline constexpr SearchHandle kSearchEnded = 0;

// Attribute bits as the layer reports them (the Windows attribute word).
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeFolder = 0x10;
inline constexpr std::uint32_t kAttributeNormal = 0x80;
inline constexpr std::uint32_t kAttributeSymbolicLink = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
inline constexpr std::uint32_t kAttributeCompressed = 0x800;

// A calendar date and time of day, UTC, whole seconds.
struct CalendarTime {
    std::int32_t Year = 0;
    std::int32_t Month = 0;
    std::int32_t Day = 0;
    std::int32_t Hour = 0;
    std::int32_t Minute = 0;
    std::int32_t Second = 0;
    bool operator==(const CalendarTime&) const = default;
};

struct FileTimeInfo {
    bool Failed = false;  // the calendar conversion failed; Value kept its previous content
    CalendarTime Value;
    std::uint64_t Raw = 0;  // 100-nanosecond intervals since 1 January 1601 UTC
};

struct FileEntry {
    bool Failed = false;         // the last step ended with an error other than the end
    std::int32_t ErrorCode = 0;  // that error's code; 0 otherwise
    bool Valid = false;          // the record holds a found item
    std::u16string SearchPath;   // as given to FindFirstEntry
    SearchHandle Handle = kNoSearch;
    PathKind Kind = kLocalPath;
    std::u16string FullPath;      // ParentFolder followed by Name
    std::u16string ParentFolder;  // ends in its separator, or empty
    std::u16string Name;
    std::u16string ShortName;  // the 8.3 name; no 8.3 names on POSIX: equals Name
    std::u16string Extension;
    std::uint32_t Attributes = 0;
    bool IsFolder = false;
    bool IsFile = false;
    FileTimeInfo Created;
    FileTimeInfo LastAccessed;
    FileTimeInfo LastWritten;
    std::uint64_t Size = 0;        // 0 for a folder
    std::uint64_t SizeOnDisk = 0;  // compressed size of a compressed file, else Size; 0 for a folder
};

inline constexpr std::uint64_t ToUInt64(std::uint32_t low, std::uint32_t high) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

}  // namespace ferrowick::fs

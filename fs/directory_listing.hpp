#pragma once
// Listing a folder item by item into a FileEntry. FindFirstEntry takes a folder followed by
// a pattern ("/home/me/Mail/*", "C:\Mail\*") and hands out the matching items, "." and
// ".." included, one per step. On POSIX it reads the whole folder at once and hands the
// items out in listing order (listing_order.hpp); on Windows the system's search does the
// matching (names compare without regard to case there) and the order is the file
// system's. Nothing here throws or reports; results and the entry's Failed/ErrorCode tell.
// The implementations: posix/ and win32/.
#include <cstdint>
#include <string_view>

#include "fs/file_entry.hpp"

namespace ferrowick::fs {

// How much of each item a listing fills in. Full: every field. NameAndKind, for callers
// that only walk a tree: the names (Name, ShortName, Extension, FullPath), IsFolder/IsFile
// and an attribute word holding only the folder, symbolic-link, system and hidden bits,
// taken from the folder's own record of each item's type; an item is looked up only when
// the file system does not record its type or it is a link (to learn where it leads). An
// item that cannot be looked up then reports -1 (every bit set). Times and sizes stay 0.
enum class ListingDetail { Full, NameAndKind };

// kNoSearch when nothing matched or the folder could not be read (Failed and ErrorCode
// set; a pattern without matches reports ENOENT); kSearchEnded (0) for an ftp path, where
// no search is made; otherwise the open search, with the first item filled in.
SearchHandle FindFirstEntry(std::u16string_view pathOrPattern, FileEntry& entry,
                            ListingDetail detail = ListingDetail::Full);

// True with the next item filled in. False at the end (Failed false, ErrorCode 0) or on
// an error (Failed true); either way the search is then closed and Handle is kSearchEnded.
bool FindNextEntry(FileEntry& entry);

// Closes a search that is still open; with none open it closes nothing and returns true.
bool CloseFind(FileEntry& entry);

// Closes a search by its handle alone; false when there is no such open search.
bool CloseSearchHandle(SearchHandle handle);

// The compressed size of a compressed file (GetCompressedFileSize); Size when it cannot be
// had. POSIX file systems report none: Size.
std::uint64_t GetSizeOnDisk(const FileEntry& entry);

}  // namespace ferrowick::fs

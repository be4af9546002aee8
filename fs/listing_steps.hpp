#pragma once
// How a step of a listing leaves its FileEntry, the same on every platform; the platform
// files (posix/, win32/) only find the items.
#include "fs/file_entry.hpp"

namespace ferrowick::fs {

// An ftp path is not searched: true, with the entry marked ended, when `entry` holds one.
bool EndAtFtpPath(FileEntry& entry);

// A search was opened as `handle` and the first item is in the entry.
SearchHandle MarkStarted(FileEntry& entry, SearchHandle handle);

// No search could be opened; LastError already says why.
SearchHandle MarkNotStarted(FileEntry& entry);

// A step found nothing more (LastError is kNoMoreFiles) or failed: the search is closed.
bool MarkEnded(FileEntry& entry);

}  // namespace ferrowick::fs

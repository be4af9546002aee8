#include "fs/listing_steps.hpp"

#include "fs/directory_listing.hpp"
#include "fs/last_error.hpp"

namespace ferrowick::fs {
namespace {

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

bool EndAtFtpPath(FileEntry& entry) {
    if (entry.Kind != kFtpPath) return false;
    entry.Valid = false;
    entry.Failed = false;
    entry.ErrorCode = 0;
    return true;
}

SearchHandle MarkStarted(FileEntry& entry, SearchHandle handle) {
    entry.Handle = handle;
    SetLastError(0);
    entry.Valid = true;
    entry.Failed = false;
    entry.ErrorCode = 0;
    return handle;
}

SearchHandle MarkNotStarted(FileEntry& entry) {
    MarkStepFailed(entry);
    entry.Handle = kNoSearch;
    return kNoSearch;
}

bool MarkEnded(FileEntry& entry) {
    MarkStepFailed(entry);
    CloseFind(entry);
    entry.Handle = kSearchEnded;
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

}  // namespace ferrowick::fs

#pragma once
// What a run could not convert: per source folder, the message files that did not reach
// the store and why, and the folders of the tree that discovery could not list or would
// not follow (their files never reached the queue). The completion box and the command
// line read it after the run.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace ferrowick {

enum class NotConvertedKind { File, Folder };

struct NotConvertedFile {
    NotConvertedFile(std::u16string path_, std::u16string reason_, NotConvertedKind kind_ = NotConvertedKind::File)
        : path(std::move(path_)), reason(std::move(reason_)), kind(kind_) {}

    std::u16string path;
    std::u16string reason;
    NotConvertedKind kind = NotConvertedKind::File;
};

struct FolderReport {
    std::u16string folderName;
    std::u16string folderPath;
    std::u16string outputPstPath;
    std::vector<std::u16string> converted;  // message files saved in the store
    std::vector<NotConvertedFile> notConverted;  // folders passed over by discovery first
};

struct ConversionReport {
    std::vector<FolderReport> folders;

    void Clear() { folders.clear(); }
    std::size_t ConvertedCount() const;
    std::size_t NotConvertedCount() const;  // files and folders
    // "N file(s) could not be converted.", "N file(s) and M folder(s) could not be
    // converted." or "M folder(s) could not be converted." for the completion box; empty
    // when nothing failed.
    std::u16string FailureSummary() const;
    // One line per file or folder, "path: reason", grouped by source folder.
    std::u16string FailureDetails() const;
};

}  // namespace ferrowick

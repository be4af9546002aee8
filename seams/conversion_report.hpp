#pragma once
// What a run converted and what it could not: per source folder, the message files saved
// in the store (with the store folder each went to), those that did not reach it and why,
// and the folders of the tree that discovery could not list or would not follow (their
// files never reached the queue). The completion box, the command line and its report read
// it after the run.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace ferrowick {

enum class NotConvertedKind { File, Folder };

struct NotConvertedFile {
    NotConvertedFile(std::u16string path, std::u16string reason, NotConvertedKind kind = NotConvertedKind::File)
        : path(std::move(path)), reason(std::move(reason)), kind(kind) {}

    std::u16string path;
    std::u16string reason;
    NotConvertedKind kind = NotConvertedKind::File;
};

struct FolderReport {
    std::u16string folderName;
    std::u16string folderPath;
    std::u16string outputPstPath;
    std::vector<std::u16string> converted;              // message files saved in the store
    std::vector<NotConvertedFile> notConverted;         // folders passed over by discovery first
    std::vector<std::u16string> convertedStoreFolders;  // of each converted file, same order

    void AddConverted(const std::u16string& path, const std::u16string& storeFolder) {
        converted.push_back(path);
        convertedStoreFolders.push_back(storeFolder);
    }
    // The store folder that converted file `index` went to; empty when it was not recorded.
    std::u16string StoreFolderOf(std::size_t index) const {
        return index < convertedStoreFolders.size() ? convertedStoreFolders[index] : std::u16string();
    }
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

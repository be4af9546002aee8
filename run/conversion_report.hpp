#pragma once
// What a run could not convert: per source folder, the message files that did not reach
// the store and why. The completion box and the command line read it after the run.
#include <cstddef>
#include <string>
#include <vector>

namespace ferrowick {

struct NotConvertedFile {
    std::u16string path;
    std::u16string reason;
};

struct FolderReport {
    std::u16string folderName;
    std::u16string folderPath;
    std::u16string outputPstPath;
    std::vector<std::u16string> converted;  // message files saved in the store
    std::vector<NotConvertedFile> notConverted;
};

struct ConversionReport {
    std::vector<FolderReport> folders;

    void Clear() { folders.clear(); }
    std::size_t ConvertedCount() const;
    std::size_t NotConvertedCount() const;
    // "N file(s) could not be converted." for the completion box; empty when none failed.
    std::u16string FailureSummary() const;
    // One line per file, "path: reason", grouped by source folder.
    std::u16string FailureDetails() const;
};

}  // namespace ferrowick

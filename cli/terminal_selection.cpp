#include "cli/terminal_selection.hpp"

#include <algorithm>
#include <filesystem>

#include "cli/argument_paths.hpp"
#include "fs/listing_order.hpp"
#include "fs/path_separator.hpp"
#include "fs/text.hpp"

namespace ferrowick::cli {

TerminalSelection TerminalSelection::Single(std::u16string source) {
    TerminalSelection s;
    s.single_ = true;
    s.source_ = std::move(source);
    return s;
}

TerminalSelection TerminalSelection::Multiple(std::vector<FolderRow> rows, std::u16string outputFolder) {
    TerminalSelection s;
    s.single_ = false;
    s.rows_ = std::move(rows);
    s.outputFolder_ = std::move(outputFolder);
    return s;
}

std::vector<FolderRow> SubfolderRows(const std::u16string& root) {
    std::vector<FolderRow> rows;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(ToUtf8(root)), error)) {
        std::error_code ignored;
        if (!entry.is_directory(ignored)) continue;
        const std::u16string name = FromUtf8(Utf8Of(entry.path().filename()));
        std::u16string path = root;
        if (path.empty() || path.back() != fs::kPathSeparator) path.push_back(fs::kPathSeparator);
        rows.push_back(FolderRow{false, name, path + name});
    }
    std::sort(rows.begin(), rows.end(),
              [](const FolderRow& a, const FolderRow& b) { return fs::ListsBefore(a.Text, b.Text); });
    return rows;
}

}  // namespace ferrowick::cli

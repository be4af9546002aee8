#pragma once
// What the selection windows hold, given on the command line instead: one source folder,
// or the direct sub-folders of a root (all ticked, or only the named ones) and an output
// folder.
#include <string>
#include <vector>

#include "seams/selection_inputs.hpp"

namespace ferrowick::cli {

class TerminalSelection : public SelectionInputs {
public:
    static TerminalSelection Single(std::u16string source);
    static TerminalSelection Multiple(std::vector<FolderRow> rows, std::u16string outputFolder);

    bool OptSingle() const override { return single_; }
    std::u16string SourceMailbox() const override { return source_; }
    std::size_t RowCount() const override { return rows_.size(); }
    FolderRow Row(std::size_t index) const override { return rows_.at(index - 1); }
    void MarkRowStarted(std::size_t) override {}
    std::u16string OutputFolder() const override { return outputFolder_; }

private:
    bool single_ = true;
    std::u16string source_;
    std::vector<FolderRow> rows_;
    std::u16string outputFolder_;
};

// The direct sub-folders of `root` in the file-system layer's listing order, unticked.
std::vector<FolderRow> SubfolderRows(const std::u16string& root);

}  // namespace ferrowick::cli

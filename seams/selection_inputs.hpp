#pragma once
// What the selection windows hand to a run: the mode of the window that started it, the
// single source folder, the rows of the multiple-folder list and the output folder. The
// driver and the engine read them directly when they need them; the driver also marks a
// row as started.
#include <cstddef>
#include <string>

namespace ferrowick {

struct FolderRow {
    bool Checked = false;
    std::u16string Text;  // the folder's name (column "User")
    std::u16string Path;  // the first sub-item's text: the folder's full path
};

class SelectionInputs {
public:
    virtual ~SelectionInputs() = default;
    // Single-folder mode: the run was started by the single-folder window's Next.
    virtual bool OptSingle() const = 0;
    virtual std::u16string SourceMailbox() const = 0;    // txtSourceMailbox
    virtual std::size_t RowCount() const = 0;            // rows of lv
    virtual FolderRow Row(std::size_t index) const = 0;  // 1-based, as the list counts
    virtual void MarkRowStarted(std::size_t index) = 0;  // green text and one more mark
    virtual std::u16string OutputFolder() const = 0;     // txtOutputFolder, untrimmed
};

}  // namespace ferrowick

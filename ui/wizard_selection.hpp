#pragma once
// The selection inputs as the windows hold them: the mode of the window whose Next started
// the last run, the single-folder window's path box, the multiple-folder window's rows and
// output folder.
#include "seams/selection_inputs.hpp"

namespace ferrowick::ui {

class Wizard;

class WizardSelection : public SelectionInputs {
public:
    explicit WizardSelection(Wizard& wizard) : wizard_(wizard) {}

    // A run starts from the single-folder window or from the multiple-folder window. The
    // start window's option may have changed since that window opened, so it is not asked.
    void StartedFrom(bool singleFolderWindow) { singleRun_ = singleFolderWindow; }

    bool OptSingle() const override;
    std::u16string SourceMailbox() const override;
    std::size_t RowCount() const override;
    FolderRow Row(std::size_t index) const override;
    void MarkRowStarted(std::size_t index) override;
    std::u16string OutputFolder() const override;

private:
    Wizard& wizard_;
    bool singleRun_ = true;
};

}  // namespace ferrowick::ui

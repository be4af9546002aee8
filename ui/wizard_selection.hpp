#pragma once
// The selection inputs as the windows hold them: the start window's mode option, the
// single-folder window's path box, the multiple-folder window's rows and output folder.
#include "seams/selection_inputs.hpp"

namespace ferrowick::ui {

class Wizard;

class WizardSelection : public SelectionInputs {
public:
    explicit WizardSelection(Wizard& wizard) : wizard_(wizard) {}

    bool OptSingle() const override;
    std::u16string SourceMailbox() const override;
    std::size_t RowCount() const override;
    FolderRow Row(std::size_t index) const override;
    void MarkRowStarted(std::size_t index) override;
    std::u16string OutputFolder() const override;

private:
    Wizard& wizard_;
};

}  // namespace ferrowick::ui

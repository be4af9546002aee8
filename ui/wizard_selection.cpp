#include "ui/wizard_selection.hpp"

#include "ui/frm_multiple.hpp"
#include "ui/frm_single.hpp"
#include "ui/frm_start.hpp"
#include "ui/qt_text.hpp"
#include "ui/wizard.hpp"

namespace ferrowick::ui {

bool WizardSelection::OptSingle() const { return singleRun_; }

std::u16string WizardSelection::SourceMailbox() const {
    const FrmSingle* single = wizard_.Single();
    return single ? U(single->txtSourceMailbox->text()) : std::u16string();
}

std::size_t WizardSelection::RowCount() const {
    const FrmMultiple* multiple = wizard_.Multiple();
    return multiple ? static_cast<std::size_t>(multiple->lv->topLevelItemCount()) : 0;
}

FolderRow WizardSelection::Row(std::size_t index) const {
    const FrmMultiple* multiple = wizard_.Multiple();
    const QTreeWidgetItem* item =
        multiple && index >= 1 ? multiple->lv->topLevelItem(static_cast<int>(index) - 1) : nullptr;
    if (!item) return {};
    return FolderRow{item->checkState(0) == Qt::Checked, U(item->text(0)), U(item->text(1))};
}

void WizardSelection::MarkRowStarted(std::size_t index) {
    if (FrmMultiple* multiple = wizard_.Multiple()) multiple->MarkRowStarted(static_cast<int>(index));
}

std::u16string WizardSelection::OutputFolder() const {
    const FrmMultiple* multiple = wizard_.Multiple();
    return multiple ? U(multiple->txtOutputFolder->text()) : std::u16string();
}

}  // namespace ferrowick::ui

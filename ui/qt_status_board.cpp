#include "ui/qt_status_board.hpp"

#include <algorithm>
#include <cmath>

#include "ui/frm_migate_all.hpp"
#include "ui/qt_text.hpp"

namespace ferrowick::ui {

void QtStatusBoard::ResetForLoad() {
    SetProgressValue(0);
    SetProgressText(u"0% Complete");
    SetCount1(u"Conversion Not Started Yet...");
    SetCurrentDbx(u"Converting Messages...");
    SetFrameConversion(u"Details ");
}

void QtStatusBoard::SetWindowCaption(const std::u16string& text) {
    if (window_) window_->setWindowTitle(Q(text));
}

void QtStatusBoard::SetCount1(const std::u16string& text) {
    if (window_) window_->lblCount1->setText(MnemonicLabelText(Q(text)));
}

void QtStatusBoard::SetCurrentDbx(const std::u16string& text) {
    if (window_) window_->LblCurrentDBX->setText(MnemonicLabelText(Q(text)));
}

void QtStatusBoard::SetProgressText(const std::u16string& text) {
    progressText_ = text;
    if (window_) window_->lblProgress->setText(MnemonicLabelText(Q(text)));
}

void QtStatusBoard::SetFrameConversion(const std::u16string& text) {
    if (window_) window_->FrameConversion->setText(MnemonicLabelText(Q(text)));
}

void QtStatusBoard::SetProgressRange(int minimum, int maximum) {
    if (window_) window_->ProgressBar1->setRange(minimum, maximum);
}

void QtStatusBoard::SetProgressValue(float value) {
    progressValue_ = value;
    if (!window_) return;
    QProgressBar& bar = *window_->ProgressBar1;
    const int shown = std::isfinite(value) ? static_cast<int>(std::lround(value)) : bar.minimum();
    bar.setValue(std::clamp(shown, bar.minimum(), bar.maximum()));
}

void QtStatusBoard::SetSkipEnabled(bool enabled) {
    if (window_) window_->CmdSkip->setEnabled(enabled);
}

void QtStatusBoard::SetStopEnabled(bool enabled) {
    if (window_) window_->CmdStopMigration->setEnabled(enabled);
}

void QtStatusBoard::SetStopVisible(bool visible) {
    if (window_) window_->CmdStopMigration->setVisible(visible);
}

void QtStatusBoard::SetLocateEnabled(bool enabled) {
    if (window_) window_->CmdLocate->setEnabled(enabled);
}

}  // namespace ferrowick::ui

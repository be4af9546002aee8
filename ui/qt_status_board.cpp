#include "ui/qt_status_board.hpp"

#include <QTimer>
#include <algorithm>
#include <cmath>

#include "ui/frm_migate_all.hpp"
#include "ui/qt_text.hpp"

namespace ferrowick::ui {
namespace {

constexpr qint64 kFrameMs = 16;

}  // namespace

void QtStatusBoard::Attach(FrmMigateAll& window) {
    window_ = &window;
    sinceStart_.start();
}

// The first write after a paint holds the window's painting back and sets a timer for the
// end of the frame; it fires in one of the run's yields. A write that finds the frame long
// over (the timer starved) paints at once.
void QtStatusBoard::Written() {
    if (!window_) return;
    if (held_) {
        if (sinceStart_.elapsed() - lastFrameMs_ >= 2 * kFrameMs) Flush();
        return;
    }
    held_ = true;
    window_->setUpdatesEnabled(false);
    const qint64 wait = std::max<qint64>(0, kFrameMs - (sinceStart_.elapsed() - lastFrameMs_));
    QTimer::singleShot(wait, window_, [this] { Flush(); });
}

// Paints now rather than posting the paint: the next write, which may come before the
// posted paint would run, holds painting back again.
void QtStatusBoard::Flush() {
    if (!held_ || !window_) return;
    held_ = false;
    lastFrameMs_ = sinceStart_.elapsed();
    window_->setUpdatesEnabled(true);
    if (window_->isVisible()) window_->repaint();
}

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
    Written();
}

void QtStatusBoard::SetCurrentDbx(const std::u16string& text) {
    if (window_) window_->LblCurrentDBX->setText(MnemonicLabelText(Q(text)));
    Written();
}

void QtStatusBoard::SetProgressText(const std::u16string& text) {
    progressText_ = text;
    if (window_) window_->lblProgress->setText(MnemonicLabelText(Q(text)));
    Written();
}

void QtStatusBoard::SetFrameConversion(const std::u16string& text) {
    if (window_) window_->FrameConversion->setText(MnemonicLabelText(Q(text)));
    Written();
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
    Written();
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

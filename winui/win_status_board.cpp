#include "winui/win_status_board.hpp"

#include "winui/frm_migate_all.hpp"
#include "winui/wide_text.hpp"

namespace ferrowick::winui {

void WinStatusBoard::SetWindowCaption(const std::u16string& text) {
    if (window_.Handle()) SetWindowTextW(window_.Handle(), W(text).c_str());
}

void WinStatusBoard::SetCount1(const std::u16string& text) { window_.SetText(FrmMigateAll::lblCount1, W(text)); }

void WinStatusBoard::SetCurrentDbx(const std::u16string& text) {
    window_.SetText(FrmMigateAll::LblCurrentDBX, W(text));
}

void WinStatusBoard::SetProgressText(const std::u16string& text) {
    progressText_ = text;
    window_.SetText(FrmMigateAll::lblProgress, W(text));
}

void WinStatusBoard::SetFrameConversion(const std::u16string& text) {
    window_.SetText(FrmMigateAll::FrameConversion, W(text));
}

void WinStatusBoard::SetProgressRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    window_.SetProgress(minimum_, maximum_, value_);
}

void WinStatusBoard::SetProgressValue(float value) {
    value_ = value;
    window_.SetProgress(minimum_, maximum_, value_);
}

void WinStatusBoard::SetSkipEnabled(bool enabled) { window_.SetEnabled(FrmMigateAll::CmdSkip, enabled); }

void WinStatusBoard::SetStopEnabled(bool enabled) { window_.SetEnabled(FrmMigateAll::CmdStopMigration, enabled); }

void WinStatusBoard::SetStopVisible(bool visible) { window_.SetShown(FrmMigateAll::CmdStopMigration, visible); }

void WinStatusBoard::SetLocateEnabled(bool enabled) { window_.SetEnabled(FrmMigateAll::CmdLocate, enabled); }

}  // namespace ferrowick::winui

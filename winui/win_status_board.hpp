#pragma once
// The status board on the status window's controls. It keeps what the run wrote (the run
// reads some of it back) and writes it to the window when there is one; the window is
// never destroyed while the wizard lives, so writes after the user closed it land on the
// hidden window and cannot disturb the run.
#include "seams/status_board.hpp"

namespace ferrowick::winui {

class FrmMigateAll;

class WinStatusBoard : public StatusBoard {
public:
    explicit WinStatusBoard(FrmMigateAll& window) : window_(window) {}

    void SetWindowCaption(const std::u16string& text) override;
    void SetCount1(const std::u16string& text) override;
    void SetCurrentDbx(const std::u16string& text) override;
    void SetProgressText(const std::u16string& text) override;
    std::u16string ProgressText() const override { return progressText_; }
    void SetFrameConversion(const std::u16string& text) override;
    void SetProgressRange(int minimum, int maximum) override;
    void SetProgressValue(float value) override;
    float ProgressValue() const override { return value_; }
    void SetSkipEnabled(bool enabled) override;
    void SetStopEnabled(bool enabled) override;
    void SetStopVisible(bool visible) override;
    void SetLocateEnabled(bool enabled) override;

private:
    FrmMigateAll& window_;
    std::u16string progressText_;
    int minimum_ = 0, maximum_ = 100;
    float value_ = 0;
};

}  // namespace ferrowick::winui

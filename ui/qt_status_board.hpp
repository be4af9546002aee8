#pragma once
// The status board on the status window's controls. It keeps the texts as the run wrote
// them (the run reads some back) and shows them as labels do, "&&" as one ampersand.
// The window is never destroyed while the wizard lives, so writes after the user closed
// it land on the hidden window and cannot disturb the run.
//
// Every write reaches its control at once, but the window repaints once a frame (16 ms)
// while writes come: a run writes several labels per item and yields between them, and
// painting each of those would cost more than converting the item.
#include <QElapsedTimer>

#include "seams/status_board.hpp"

namespace ferrowick::ui {

class FrmMigateAll;

class QtStatusBoard : public StatusBoard {
public:
    void Attach(FrmMigateAll& window);
    // The texts and bar of a freshly loaded window.
    void ResetForLoad();
    // Paints what was written but held back for the next frame.
    void Flush();

    void SetWindowCaption(const std::u16string& text) override;
    void SetCount1(const std::u16string& text) override;
    void SetCurrentDbx(const std::u16string& text) override;
    void SetProgressText(const std::u16string& text) override;
    std::u16string ProgressText() const override { return progressText_; }
    void SetFrameConversion(const std::u16string& text) override;
    void SetProgressRange(int minimum, int maximum) override;
    void SetProgressValue(float value) override;
    float ProgressValue() const override { return progressValue_; }
    void SetSkipEnabled(bool enabled) override;
    void SetStopEnabled(bool enabled) override;
    void SetStopVisible(bool visible) override;
    void SetLocateEnabled(bool enabled) override;

private:
    void Written();

    FrmMigateAll* window_ = nullptr;
    QElapsedTimer sinceStart_;
    qint64 lastFrameMs_ = -1000;
    bool held_ = false;
    std::u16string progressText_;
    float progressValue_ = 0;
};

}  // namespace ferrowick::ui

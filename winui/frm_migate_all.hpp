#pragma once
// The conversion status window: the board a run writes, Skip and Stop, Open Folder, and
// the close confirmation.
#include "winui/form.hpp"

namespace ferrowick::winui {

class Wizard;

class FrmMigateAll : public Form {
public:
    enum Id {
        CmdSkip = 400,
        CmdStopMigration,
        CmdLocate,
        lblCount1,
        lblProgress,
        ProgressBar1,
        FrameConversion,
        LblCurrentDBX,
        Label3
    };

    explicit FrmMigateAll(Wizard& wizard);

    bool Loaded() const { return loaded_; }
    // Shows the window owned by owner; a window that is not loaded is loaded (reset) first.
    void ShowForRun(HWND owner);
    void SetProgress(int minimum, int maximum, float value);

protected:
    void Build() override;
    void OnCommand(int id, int code) override;
    void OnCloseRequest() override;

private:
    void Load();

    Wizard& wizard_;
    bool loaded_ = false;
};

}  // namespace ferrowick::winui

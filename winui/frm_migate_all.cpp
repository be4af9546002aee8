#include "winui/frm_migate_all.hpp"

#include <commctrl.h>

#include <cmath>

#include "fs/path_names.hpp"
#include "winui/message_boxes.hpp"
#include "winui/wide_text.hpp"
#include "winui/wizard.hpp"

namespace ferrowick::winui {

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255), kLightGrey = RGB(192, 192, 192);
// The bar counts in hundredths so that a fractional value moves it.
constexpr int kBarSteps = 100;
}  // namespace

FrmMigateAll::FrmMigateAll(Wizard& wizard) : Form(L"Conversion Status", 7365, 3870), wizard_(wizard) {}

void FrmMigateAll::Build() {
    AddBand({{-120, -120, 10695, 1695}, kWhite, kLightGrey});
    AddBand({{-240, 3000, 10695, 1935}, kWhite, kLightGrey});
    AddIcon({60, 3300, 360, 360});
    // Buttons first: they lie above the labels they overlap.
    AddButton(CmdSkip, L"X", {6840, 120, 375, 315}, {L"Tahoma", 9.75, true});
    AddToolTip(CmdSkip, L"Cancel Conversion of Current Folder");
    AddButton(CmdStopMigration, L"S&TOP", {6240, 960, 975, 375}, {L"Verdana", 9});
    AddToolTip(CmdStopMigration, L"Stops Complete Conversion");
    AddButton(CmdLocate, L"&Open Folder", {4200, 3240, 1575, 390}, {L"Verdana", 9});
    AddLabel(lblCount1, L"Conversion Not Started Yet...", {120, 120, 9375, 375}, {L"Tahoma", 9.75, true},
             GetSysColor(COLOR_WINDOWTEXT), kWhite);
    AddLabel(lblProgress, L"0% Complete", {120, 600, 6015, 255}, {L"Tahoma", 11.25});
    Add(ProgressBar1, PROGRESS_CLASSW, L"", PBS_SMOOTH, {120, 960, 6015, 375}, {L"Tahoma", 9});
    AddLabel(FrameConversion, L"Conversion Not Started Yet", {120, 1800, 6975, 255}, {L"Tahoma", 9.75, true},
             RGB(64, 64, 64));
    AddLabel(LblCurrentDBX, L"Converting Messages...", {120, 2040, 7095, 855}, {L"Tahoma", 9}, RGB(128, 128, 128));
    AddLabel(Label3, L"Converted Outlook Data File Location :", {480, 3315, 3975, 360}, {L"Verdana", 9});
    SetShown(CmdStopMigration, false);
    SetEnabled(CmdLocate, false);
    SetProgress(0, 100, 0);
}

void FrmMigateAll::Load() {
    Create(nullptr);
    loaded_ = true;
    RunState& state = wizard_.State();
    state.MessageQueue.Drop();
    state.FolderQueue.Drop();
    state.Flags.StopRequested = false;
    state.Flags.SkipRequested = false;
    wizard_.Board().SetProgressValue(0);
    wizard_.Board().SetProgressText(u"0% Complete");
    wizard_.Board().SetCount1(u"Conversion Not Started Yet...");
    wizard_.Board().SetCurrentDbx(u"Converting Messages...");
    wizard_.Board().SetFrameConversion(u"Details ");
    wizard_.Board().SetSkipEnabled(false);
}

void FrmMigateAll::ShowForRun(HWND owner) {
    if (!loaded_) Load();
    ShowOwnedBy(owner);
}

void FrmMigateAll::SetProgress(int minimum, int maximum, float value) {
    HWND bar = Item(ProgressBar1);
    if (!bar) return;
    SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(minimum * kBarSteps), maximum * kBarSteps);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::lround(value * kBarSteps)), 0);
}

void FrmMigateAll::OnCommand(int id, int /*code*/) {
    RequestFlags& flags = wizard_.State().Flags;
    switch (id) {
        case CmdSkip:
            flags.SkipRequested = true;
            break;
        case CmdStopMigration:
            if (flags.SkipRequested) RequestClose();  // asks first, like any close
            flags.StopRequested = true;
            break;
        case CmdLocate:
            if (wizard_.Selection().OptSingle())
                wizard_.Shell().openLink(W(fs::ParentFolderOf(wizard_.State().OutputPstPath)));
            else
                wizard_.Shell().openLink(wizard_.MultipleOutputFolder());
            break;
        default:
            break;
    }
}

// Closing sets neither flag and does not stop a run: the window is hidden, the run keeps
// writing to it, and the next run loads it afresh.
void FrmMigateAll::OnCloseRequest() {
    if (!ConfirmExit(Handle())) return;
    loaded_ = false;
    Hide();
}

}  // namespace ferrowick::winui

#include "winui/frm_single.hpp"

#include "winui/wizard.hpp"

namespace ferrowick::winui {

FrmSingle::FrmSingle(Wizard& wizard) : Form(L"Single Folder Mode", 7710, 2190), wizard_(wizard) {}

void FrmSingle::Build() {
    AddBand({{-120, 1560, 10695, 855}, RGB(255, 255, 255), RGB(192, 192, 192)});
    AddIcon({60, 420, 360, 360});
    AddLabel(Label3, L"Select folder having all .msg message files", {480, 435, 5415, 360}, {L"Verdana", 9});
    AddLink(lblSingleMailbox, L" [ ? ]", {6000, 465, 495, 240}, {L"Verdana", 9}, L"Online Help");
    Add(txtSourceMailbox, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, {120, 840, 5655, 405}, {L"Tahoma", 9},
        WS_EX_CLIENTEDGE);
    AddButton(CmdAddFolder, L"Select...", {5880, 840, 1575, 390}, {L"Verdana", 9});
    AddButton(CmdNext, L"&Next >", {5760, 1680, 1695, 390}, {L"Verdana", 9}, true);
}

void FrmSingle::Load() {
    Create(nullptr);
    loaded_ = true;
    picked_ = false;
    SetText(txtSourceMailbox, L"");
    SetEnabled(CmdNext, false);
}

void FrmSingle::Unload() {
    loaded_ = false;
    Hide();
}

void FrmSingle::SetRunning(bool running) {
    running_ = running;
    if (!Handle()) return;
    SendMessageW(Item(txtSourceMailbox), EM_SETREADONLY, running, 0);
    SetEnabled(CmdAddFolder, !running);
    SetEnabled(CmdNext, !running && picked_);
}

void FrmSingle::OnCommand(int id, int code) {
    switch (id) {
        case CmdAddFolder: {
            const std::wstring path = wizard_.Shell().browseForFolder(Handle(), L"Choose Source Folder...");
            if (path.empty()) return;
            picked_ = true;
            SetText(txtSourceMailbox, path);
            SetEnabled(CmdNext, !running_);
            break;
        }
        case CmdNext:
            if (SourceMailbox().empty()) return;
            wizard_.RunFrom(*this);
            break;
        case lblSingleMailbox:
            if (code == STN_CLICKED) wizard_.Shell().openLink(HelpAddress("/h/ferrowick/#select-folder"));
            break;
        default:
            break;
    }
}

}  // namespace ferrowick::winui

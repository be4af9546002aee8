#include "winui/frm_start.hpp"

#include "winui/message_boxes.hpp"
#include "winui/wizard.hpp"

namespace ferrowick::winui {

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255), kLightGrey = RGB(192, 192, 192), kGrey = RGB(128, 128, 128);
}

FrmStart::FrmStart(Wizard& wizard) : Form(L"Halvernook Ferrowick v3.0", 9270, 7080), wizard_(wizard) {}

void FrmStart::Build() {
    AddBand({{0, 0, 10695, 1335}, kWhite, kLightGrey});
    AddBand({{-240, 6480, 10695, 855}, kWhite, kLightGrey});
    AddRule({3960, 240, 3960, 1080, kLightGrey});
    // The rule starts a little right of where it was designed (2520): the bold Tahoma that
    // Wine and some Windows installations substitute is wider, and the heading must end before it.
    AddRule({2760, 1800, 8880, 1800, kGrey});

    Add(OptSingle, L"BUTTON", L"Single Folder", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, {720, 2280, 2055, 495},
        {L"Verdana", 11.25, true});
    AddLink(lblSingleHelp, L" [ ? ]", {2760, 2400, 495, 240}, {L"Verdana", 9}, L"Online Help");
    AddLabel(Label2,
             L"This option allows you to select a single folder having messages and convert it to respective Outlook "
             L"data file. To convert multiple folders, you need to select individual folders one after another.",
             {960, 2760, 7575, 600}, {L"Verdana", 9}, kGrey);
    Add(OptMultiple, L"BUTTON", L"Multiple Folders", BS_AUTORADIOBUTTON, {720, 3720, 2295, 495}, {L"Verdana", 11.25});
    AddLink(lblMultipleHelp, L" [ ? ]", {3000, 3840, 495, 240}, {L"Verdana", 9}, L"Online Help");
    AddLabel(Label4,
             L"This option allows you to select multiple folders and then convert them to respective Outlook .pst "
             L"files. To convert multiple mailbox folders, you just need to to select top folder having all mailbox "
             L"folders inside it.",
             {960, 4560, 7575, 825}, {L"Verdana", 9}, kGrey);
    AddButton(CmdHelp, L"Product &Guide", {240, 6600, 1695, 390}, {L"Verdana", 9});
    AddButton(CmdNext, L"&Next >", {7320, 6600, 1695, 390}, {L"Verdana", 9}, true);
    AddLabel(lblTitle, L"Ferrowick", {4200, 360, 5415, 495}, {L"Verdana", 21.75}, kLightGrey, kWhite);
    // Up to where the rule starts (2175 twips wide as designed): Tahoma substitutes need a
    // little more room than Tahoma itself for "convert".
    AddLabel(Label3, L"I want to convert", {240, 1640, 2490, 255}, {L"Tahoma", 12, true}, kGrey);
    // The logo: the product icon and the maker's name, left of the rule.
    AddIcon({240, 240, 840, 840});
    AddLabel(lblProduct, L"Halvernook", {1200, 480, 2640, 420}, {L"Verdana", 14.25, true}, RGB(64, 64, 64), kWhite);
    SendMessageW(Item(OptSingle), BM_SETCHECK, BST_CHECKED, 0);
}

bool FrmStart::SingleSelected() const { return SendMessageW(Item(OptSingle), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void FrmStart::SelectMode(bool single) {
    SendMessageW(Item(OptSingle), BM_SETCHECK, single ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(Item(OptMultiple), BM_SETCHECK, single ? BST_UNCHECKED : BST_CHECKED, 0);
    SetFont(OptSingle, {L"Verdana", 11.25, single});
    SetFont(OptMultiple, {L"Verdana", 11.25, !single});
}

void FrmStart::SetRunning(bool running) {
    // The mode of a run in progress is read from this window.
    SetEnabled(OptSingle, !running);
    SetEnabled(OptMultiple, !running);
}

void FrmStart::OnCommand(int id, int code) {
    switch (id) {
        case OptSingle:
        case OptMultiple:
            if (code == BN_CLICKED) SelectMode(SingleSelected());
            break;
        case CmdNext:
            if (SingleSelected())
                wizard_.ShowSingle();
            else
                wizard_.ShowMultiple();
            break;
        case CmdHelp:
            wizard_.Shell().openLink(HelpAddress("/ferrowick/"));
            break;
        case lblSingleHelp:
            if (code == STN_CLICKED) wizard_.Shell().openLink(HelpAddress("/h/ferrowick/#single-folder"));
            break;
        case lblMultipleHelp:
            if (code == STN_CLICKED) wizard_.Shell().openLink(HelpAddress("/h/ferrowick/#multiple-folders"));
            break;
        default:
            break;
    }
}

void FrmStart::OnCloseRequest() {
    if (ConfirmExit(Handle())) wizard_.EndProgram();
}

}  // namespace ferrowick::winui

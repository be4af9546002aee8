#include "winui/frm_multiple.hpp"

#include <shellapi.h>

#include "winui/wizard.hpp"

namespace ferrowick::winui {

namespace {
constexpr COLORREF kFirstStripe = RGB(255, 255, 255), kSecondStripe = RGB(255, 255, 192);
constexpr COLORREF kStarted = RGB(0, 128, 0);
// Frame1's children are placed relative to it.
constexpr int kFrameLeft = 240, kFrameTop = 720;
}  // namespace

FrmMultiple::FrmMultiple(Wizard& wizard) : Form(L"Multiple Folder Mode", 10590, 6255), wizard_(wizard) {}

void FrmMultiple::Build() {
    AddBand({{0, 5640, 10695, 855}, RGB(255, 255, 255), RGB(192, 192, 192)});
    AddIcon({120, 180, 360, 360});
    AddLabel(Label3, L"Select top folder having all sub-folders inside it containing .msg files", {600, 240, 6975, 360},
             {L"Verdana", 9});
    AddButton(CmdAddFolder, L"Select...", {7800, 165, 1455, 390}, {L"Verdana", 9});
    AddLink(lblSelectRootFolder, L" [ ? ]", {9360, 240, 495, 240}, {L"Verdana", 9}, L"Click to Know More...");
    Add(chkSelectAll, L"BUTTON", L"Select All", WS_TABSTOP | BS_AUTOCHECKBOX,
        {kFrameLeft + 340, kFrameTop + 360, 3015, 255}, {L"Verdana", 9});
    HWND list = Add(lv, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                    {kFrameLeft + 240, kFrameTop + 720, 9615, 3135}, {L"Tahoma", 9}, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list,
                                      LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    AddFrame(Frame1, L" Select Folders", {kFrameLeft, kFrameTop, 10095, 4095}, {L"Verdana", 9, true});
    Add(txtOutputFolder, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, {1680, 4920, 7215, 405}, {L"Tahoma", 9},
        WS_EX_CLIENTEDGE);
    // The label is wider than the room left of the box: it lies under it.
    AddLabel(Label1, L"Output Folder:", {240, 5040, 1575, 345}, {L"Verdana", 9});
    AddButton(cmdChange, L"Change...", {9000, 4920, 1335, 390}, {L"Verdana", 9});
    AddButton(cmdBack, L"< Bac&k", {7080, 5760, 1335, 390}, {L"Verdana", 9});
    AddButton(CmdNext, L"&Next >", {8640, 5760, 1695, 390}, {L"Verdana", 9}, true);

    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(L"User");
    ListView_InsertColumn(list, 0, &column);
    column.pszText = const_cast<wchar_t*>(L"Mailbox Folder");
    ListView_InsertColumn(list, 1, &column);
    SetColumns();
}

void FrmMultiple::OnRelayout() { SetColumns(); }

void FrmMultiple::SetColumns() {
    HWND list = Item(lv);
    ListView_SetColumnWidth(list, 0, Px(3000));
    ListView_SetColumnWidth(list, 1, Px(6600));
    // Row icons at the small-icon size of this DPI: a folder.
    if (images_) ImageList_Destroy(images_);
    const int size = GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(Dpi()));
    images_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 1);
    SHSTOCKICONINFO stock{};
    stock.cbSize = sizeof(stock);
    HICON folder = nullptr;
    if (SUCCEEDED(SHGetStockIconInfo(SIID_FOLDER, SHGSI_ICON | SHGSI_SMALLICON, &stock))) folder = stock.hIcon;
    if (!folder) folder = LoadIconW(nullptr, IDI_APPLICATION);
    ImageList_AddIcon(images_, folder);
    if (stock.hIcon) DestroyIcon(stock.hIcon);
    ListView_SetImageList(list, images_, LVSIL_SMALL);
    if (startedFont_) DeleteObject(startedFont_);
    LOGFONTW bold{};
    GetObjectW(Font({L"Tahoma", 9}), sizeof(bold), &bold);
    bold.lfWeight = FW_BOLD;
    startedFont_ = CreateFontIndirectW(&bold);
}

void FrmMultiple::Load() {
    if (Handle()) return;
    Create(nullptr);
    SetText(txtOutputFolder, wizard_.Shell().specialFolderPath());
    SendMessageW(Item(chkSelectAll), BM_SETCHECK, BST_UNCHECKED, 0);
    SetEnabled(chkSelectAll, false);
}

int FrmMultiple::RowCount() const { return Handle() ? ListView_GetItemCount(Item(lv)) : 0; }

bool FrmMultiple::RowChecked(int index) const { return ListView_GetCheckState(Item(lv), index) != 0; }

void FrmMultiple::SetRowChecked(int index, bool checked) { ListView_SetCheckState(Item(lv), index, checked); }

std::wstring FrmMultiple::RowText(int index, int column) const {
    wchar_t text[4096] = {};
    ListView_GetItemText(Item(lv), index, column, text, 4096);
    return text;
}

void FrmMultiple::MarkRowStarted(int index) {
    started_.insert(index);
    ListView_RedrawItems(Item(lv), index, index);
}

void FrmMultiple::SetRunning(bool running) {
    running_ = running;
    if (!Handle()) return;
    // The run reads the rows and the output folder while it goes.
    SetEnabled(CmdAddFolder, !running);
    SetEnabled(chkSelectAll, !running && listed_);
    SendMessageW(Item(txtOutputFolder), EM_SETREADONLY, running, 0);
    SetEnabled(cmdChange, !running);
    SetEnabled(CmdNext, !running);
}

void FrmMultiple::FillList(const std::wstring& picked) {
    std::wstring root = picked;
    if (root.empty() || root.back() != L'\\') root += L'\\';
    HWND list = Item(lv);
    ListView_DeleteAllItems(list);
    started_.clear();
    UpdateWindow(list);
    for (const SubFolder& folder : wizard_.Shell().listSubFolders(root)) {
        wizard_.Pump();
        LVITEMW row{};
        row.mask = LVIF_TEXT | LVIF_IMAGE;
        row.iItem = ListView_GetItemCount(list);
        row.pszText = const_cast<wchar_t*>(folder.name.c_str());
        row.iImage = 0;
        const int index = ListView_InsertItem(list, &row);
        const std::wstring path = root + folder.name;
        ListView_SetItemText(list, index, 1, const_cast<wchar_t*>(path.c_str()));
        UpdateWindow(list);
    }
    listed_ = true;
    const bool wasChecked = SendMessageW(Item(chkSelectAll), BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageW(Item(chkSelectAll), BM_SETCHECK, BST_UNCHECKED, 0);
    if (wasChecked) SelectAllClicked();
    SetEnabled(chkSelectAll, !running_);
}

void FrmMultiple::SelectAllClicked() {
    const bool ticking = SendMessageW(Item(chkSelectAll), BM_GETCHECK, 0, 0) == BST_CHECKED;
    for (int index = 0; index < RowCount(); ++index) {
        wizard_.Pump();
        SetRowChecked(index, ticking);
        SetText(chkSelectAll, ticking ? L"Deselect All" : L"Select All");
    }
}

void FrmMultiple::Next() {
    bool found = false;
    for (int index = 0; index < RowCount() && !found; ++index) {
        wizard_.Pump();
        found = RowChecked(index);
    }
    if (found) {
        wizard_.RunFrom(*this);
        return;
    }
    MessageBoxW(Handle(), L"No Folders Selected !\r\nPlease Select alteast one folder to convert.",
                L"Select Folder(s) to Convert", MB_OK | MB_ICONINFORMATION);
}

void FrmMultiple::OnCommand(int id, int code) {
    switch (id) {
        case CmdAddFolder: {
            const std::wstring root = wizard_.Shell().browseForFolder(Handle(), L"Choose Source Folder...");
            if (!root.empty()) FillList(root);
            break;
        }
        case chkSelectAll:
            if (code == BN_CLICKED) SelectAllClicked();
            break;
        case cmdChange: {
            const std::wstring folder = wizard_.Shell().browseForFolder(Handle(), L"Choose Output Folder...");
            if (!folder.empty()) SetText(txtOutputFolder, folder);
            break;
        }
        case cmdBack:
            wizard_.ShowStart();
            Hide();
            break;
        case CmdNext:
            Next();
            break;
        case lblSelectRootFolder:
            if (code == STN_CLICKED) wizard_.Shell().openLink(HelpAddress("/h/ferrowick/#select-root-folder"));
            break;
        default:
            break;
    }
}

LRESULT FrmMultiple::OnNotify(NMHDR* header, bool& handled) {
    handled = false;
    if (header->idFrom != static_cast<UINT_PTR>(lv)) return 0;
    if (header->code == LVN_ITEMCHANGING && running_) {
        // The run reads the ticks: they stay as they were when it started.
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK)) {
            handled = true;
            return TRUE;
        }
    }
    if (header->code == NM_CUSTOMDRAW) {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
        handled = true;
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            const int index = static_cast<int>(draw->nmcd.dwItemSpec);
            // Rows 1, 3, 5... white, the rows between pale yellow.
            draw->clrTextBk = index % 2 == 0 ? kFirstStripe : kSecondStripe;
            if (started_.count(index)) {
                draw->clrText = kStarted;
                SelectObject(draw->nmcd.hdc, startedFont_);
                return CDRF_NEWFONT;
            }
            return CDRF_DODEFAULT;
        }
        return CDRF_DODEFAULT;
    }
    return 0;
}

void FrmMultiple::OnCloseRequest() {
    // Kept loaded, as Back does; the start window comes back so a window stays on screen.
    Hide();
    wizard_.MultipleClosed();
}

}  // namespace ferrowick::winui

// Shows one window of the Windows wizard in a state worth a screenshot and holds it until
// told to go: `render_windows <scene> <ready-file> <release-file>`. The scene's window is
// on screen when the ready file appears; take_windows.sh then takes the picture and makes
// the release file. Scenes: start, start-multiple, single, multiple, status-running,
// status-done, exit-box.
#include <fstream>
#include <string>

#include "winui/wizard.hpp"

using namespace ferrowick;
using namespace ferrowick::winui;

namespace {

std::wstring ready, release;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Hold(Wizard& wizard, HWND front) {
    if (front) {
        SetForegroundWindow(front);
        RedrawWindow(front, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    for (int i = 0; i < 25; ++i) {
        wizard.Pump();
        Sleep(20);
    }
    std::ofstream(ready.c_str()) << "ready\n";
    while (!Exists(release)) {
        wizard.Pump();
        Sleep(20);
    }
    ExitProcess(0);
}

void Click(HWND control) { SendMessageW(control, BM_CLICK, 0, 0); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const std::wstring scene = argv[1];
    ready = argv[2];
    release = argv[3];
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    std::wstring picked;
    WizardHooks hooks;
    hooks.shell.openLink = [](const std::wstring&) {};
    hooks.shell.browseForFolder = [&](HWND, const std::wstring&) { return picked; };
    hooks.shell.specialFolderPath = [] { return std::wstring(L"C:\\Users\\ann\\Desktop"); };
    hooks.shell.listSubFolders = [](const std::wstring& root) {
        std::vector<SubFolder> rows;
        for (const wchar_t* name : {L"Ann Archive", L"Board & Finance", L"Customers", L"Projects 2025", L"Support"})
            rows.push_back({name, root + name});
        return rows;
    };
    Wizard* self = nullptr;
    hooks.runConversion = [&](RunState&, RunSeams& seams) {
        seams.board.SetWindowCaption(u"Conversion Status");
        seams.board.SetSkipEnabled(true);
        seams.board.SetStopVisible(true);
        seams.board.SetStopEnabled(true);
        seams.board.SetLocateEnabled(true);
        seams.board.SetProgressRange(0, 100);
        if (scene == L"status-running") {
            seams.selection.MarkRowStarted(1);
            seams.selection.MarkRowStarted(2);
            seams.board.SetCount1(u"Converting Board && Finance : 140 Messages");
            seams.board.SetCurrentDbx(u"Converting Messages from : C:\\Mail\\Board && Finance\\2025\\Q3");
            seams.board.SetFrameConversion(u"Converting 87 of 140 messages");
            seams.board.SetProgressText(u"62% Complete");
            seams.board.SetProgressValue(62.14f);
            Hold(*self, self->Status().Handle());
        }
        seams.board.SetCount1(u"Conversion Completed");
        seams.board.SetCurrentDbx(u"Converted 312 messages of 312 from 2 folders.");
        seams.board.SetFrameConversion(u"Converted 140 of 140 messages");
        seams.board.SetProgressText(u"100% Complete");
        seams.board.SetProgressValue(100);
        seams.board.SetSkipEnabled(false);
        seams.board.SetStopEnabled(false);
        seams.board.SetStopVisible(false);
        Hold(*self, self->Status().Handle());
    };
    Wizard wizard(std::move(hooks));
    self = &wizard;
    wizard.ShowStart();
    FrmStart& start = wizard.Start();
    if (scene == L"start") Hold(wizard, start.Handle());
    if (scene == L"start-multiple") {
        Click(start.Item(FrmStart::OptMultiple));
        Hold(wizard, start.Handle());
    }
    if (scene == L"exit-box") {
        PostMessageW(start.Handle(), WM_CLOSE, 0, 0);
        SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR, DWORD) { std::ofstream(ready.c_str()) << "ready\n"; });
        while (!Exists(release)) {
            MSG msg;
            if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
            DispatchWizardMessage(msg);
        }
        ExitProcess(0);
    }
    if (scene == L"single") {
        Click(start.Item(FrmStart::CmdNext));
        picked = L"C:\\Users\\ann\\Documents\\Mail export";
        Click(wizard.Single().Item(FrmSingle::CmdAddFolder));
        Hold(wizard, wizard.Single().Handle());
    }
    Click(start.Item(FrmStart::OptMultiple));
    Click(start.Item(FrmStart::CmdNext));
    FrmMultiple& multiple = wizard.Multiple();
    picked = L"C:\\Mail";
    Click(multiple.Item(FrmMultiple::CmdAddFolder));
    multiple.SetRowChecked(1, true);
    multiple.SetRowChecked(2, true);
    multiple.SetRowChecked(4, true);
    if (scene == L"multiple") Hold(wizard, multiple.Handle());
    Click(multiple.Item(FrmMultiple::CmdNext));
    return 0;
}

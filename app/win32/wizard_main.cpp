// ferrowick-wizard.exe: the wizard on Windows, a GUI-subsystem program, so a double click
// opens the start window and no console. The command line is ferrowick.exe, a console
// program: Windows fixes console or not per executable, and a GUI program started from a
// command prompt neither owns that console's output nor makes the prompt wait for it.
// First: it includes windows.h and takes back winbase.h's Yield macro.
#include "winui/wizard.hpp"

#include <commctrl.h>
#include <objbase.h>

#include "run/run_driver.hpp"
#include "store/pst_store_service.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The folder picker is a shell dialog and needs COM on this thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    ferrowick::PstStoreService store;
    ferrowick::winui::WizardHooks hooks;
    hooks.store = &store;
    hooks.runConversion = [](ferrowick::RunState& state, ferrowick::RunSeams& seams) {
        ferrowick::StartConversionClick(state, seams);
    };
    ferrowick::winui::Wizard wizard(std::move(hooks));
    wizard.ShowStart();
    const int code = ferrowick::winui::RunMessageLoop();
    CoUninitialize();
    return code;
}

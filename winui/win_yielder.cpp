#include "winui/win_yielder.hpp"

#include "winui/form.hpp"

namespace ferrowick::winui {

namespace {
constexpr unsigned long long kFrameMs = 16;
}

void DispatchWizardMessage(MSG& msg) {
    if (Form::RouteDialogKeys(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void WinYielder::Yield() {
    const unsigned long long now = GetTickCount64();
    const bool paint = now - lastFrame_ >= kFrameMs;
    const UINT which = paint ? 0 : (PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | which)) {
        if (msg.message == WM_QUIT) {
            // Left for the main loop, which ends the program.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DispatchWizardMessage(msg);
    }
    if (paint) {
        lastFrame_ = now;
        ++frames_;
    }
}

}  // namespace ferrowick::winui

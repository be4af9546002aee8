// Ctrl-C, Ctrl-Break and the console going away (closed, log-off, shut-down) arrive through
// a console control handler, on a thread of their own, and take the path SIGINT takes.
#include "cli/terminal_interrupt.hpp"

#include <windows.h>
#undef Yield  // an old Win16 macro that would swallow TerminalYielder::Yield

#include <atomic>

#include "cli/stop_signals.hpp"
#include "cli/win32/console_control.hpp"

namespace ferrowick::cli {
namespace {

std::atomic<int> caught{0};
std::atomic<int> caughtAgain{0};
std::atomic<bool> recordSecond{false};
std::atomic<bool> guarding{false};
// A child of a parallel run has no console: its parent's stop comes as an event.
HANDLE parentStop = nullptr;
HANDLE parentStopWait = nullptr;

int SignalFor(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            return kSignalInterrupt;
        case CTRL_BREAK_EVENT:
            return kSignalBreak;
        default:
            return kSignalHangUp;  // CTRL_CLOSE_EVENT, CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT
    }
}

BOOL WINAPI OnConsoleControl(DWORD event) { return HandleConsoleControl(event) ? TRUE : FALSE; }

VOID CALLBACK OnParentStop(PVOID, BOOLEAN) { HandleConsoleControl(CTRL_C_EVENT); }

void WatchParentStop() {
    wchar_t name[256];
    const DWORD n = GetEnvironmentVariableW(L"FERROWICK_STOP_EVENT", name, 256);
    if (n == 0 || n >= 256) return;
    parentStop = OpenEventW(SYNCHRONIZE, FALSE, name);
    if (parentStop && !RegisterWaitForSingleObject(&parentStopWait, parentStop, OnParentStop, nullptr, INFINITE,
                                                   WT_EXECUTEONLYONCE)) {
        CloseHandle(parentStop);
        parentStop = nullptr;
    }
}

}  // namespace

bool HandleConsoleControl(unsigned long event) {
    if (!guarding) return false;
    const int signal = SignalFor(event);
    int none = 0;
    if (caught.compare_exchange_strong(none, signal)) {
        if (signal == kSignalHangUp) {
            // Windows ends the process once this returns (or after five seconds): the run
            // gets what time there is to commit the store and let it go.
            for (int i = 0; i < 45 && guarding; ++i) Sleep(100);
        }
        return true;
    }
    if (recordSecond) {
        none = 0;
        caughtAgain.compare_exchange_strong(none, signal);
        return true;
    }
    return false;  // a second one: the default handling ends the program at once
}

InterruptGuard::InterruptGuard() {
    caught = 0;
    caughtAgain = 0;
    recordSecond = false;
    guarding = true;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    WatchParentStop();
}

InterruptGuard::~InterruptGuard() {
    guarding = false;
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    if (parentStop) {
        UnregisterWaitEx(parentStopWait, INVALID_HANDLE_VALUE);
        CloseHandle(parentStop);
        parentStop = parentStopWait = nullptr;
    }
}

int InterruptGuard::Signal() { return caught; }

void InterruptGuard::RecordSecondSignal() { recordSecond = true; }

int InterruptGuard::SecondSignal() { return caughtAgain; }

void TerminalYielder::Yield() {
    if (caught != 0) flags_.StopRequested = true;
}

}  // namespace ferrowick::cli

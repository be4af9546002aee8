// Ctrl-C, Ctrl-Break and closing the console, delivered to the console control handler as
// Windows delivers them (on a thread of their own), take the path SIGINT takes.
#include <windows.h>
#undef Yield

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "cli/run_outcome.hpp"
#include "cli/stop_signals.hpp"
#include "cli/terminal_interrupt.hpp"
#include "cli/win32/console_control.hpp"

namespace ferrowick::cli {
namespace {

bool Deliver(DWORD event) {
    bool taken = false;
    std::thread handler([&] { taken = HandleConsoleControl(event); });
    handler.join();
    return taken;
}

TEST(ConsoleControl, CtrlCStopsTheRunAndASecondOneEndsTheProgram) {
    InterruptGuard guard;
    RequestFlags flags;
    TerminalYielder yielder(flags);
    yielder.Yield();
    EXPECT_FALSE(flags.StopRequested);

    EXPECT_TRUE(Deliver(CTRL_C_EVENT));
    EXPECT_EQ(InterruptGuard::Signal(), kSignalInterrupt);
    yielder.Yield();
    EXPECT_TRUE(flags.StopRequested);
    EXPECT_EQ(InterruptGuard::ExitStatusFor(InterruptGuard::Signal()), 130);

    EXPECT_FALSE(Deliver(CTRL_C_EVENT));  // the default handling follows: the process ends
    EXPECT_EQ(InterruptGuard::Signal(), kSignalInterrupt);
}

TEST(ConsoleControl, CtrlBreakIsSigbreakAndAParentRecordsTheSecondRequest) {
    InterruptGuard guard;
    InterruptGuard::RecordSecondSignal();
    EXPECT_TRUE(Deliver(CTRL_BREAK_EVENT));
    EXPECT_EQ(InterruptGuard::Signal(), kSignalBreak);
    EXPECT_EQ(InterruptGuard::SecondSignal(), 0);
    EXPECT_TRUE(Deliver(CTRL_C_EVENT));  // kept, to be passed on to the children
    EXPECT_EQ(InterruptGuard::SecondSignal(), kSignalInterrupt);

    RunOutcome outcome;
    outcome.signal = InterruptGuard::Signal();
    EXPECT_EQ(outcome.ExitStatus(), 128 + kSignalBreak);
    EXPECT_EQ(OutcomeFromReport(ReportJson(outcome)).signal, kSignalBreak);  // the report names it
}

TEST(ConsoleControl, ClosingTheConsoleWaitsForTheRunToLetGo) {
    std::atomic<bool> returned{false};
    auto guard = std::make_unique<InterruptGuard>();
    std::thread handler([&] {
        HandleConsoleControl(CTRL_CLOSE_EVENT);
        returned = true;
    });
    while (InterruptGuard::Signal() == 0) Sleep(1);
    EXPECT_EQ(InterruptGuard::Signal(), kSignalHangUp);
    Sleep(300);
    EXPECT_FALSE(returned);  // Windows would end the process as soon as the handler returns
    guard.reset();           // the run has finished: the store is released
    handler.join();
    EXPECT_TRUE(returned);
}

TEST(ConsoleControl, NothingIsTakenWhileNoRunGuards) { EXPECT_FALSE(Deliver(CTRL_C_EVENT)); }

TEST(ConsoleControl, AParentsStopEventStopsAChildRun) {
    const wchar_t* name = L"ferrowick-test-stop-event";
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name);
    ASSERT_TRUE(event);
    SetEnvironmentVariableW(L"FERROWICK_STOP_EVENT", name);
    {
        InterruptGuard guard;
        EXPECT_EQ(InterruptGuard::Signal(), 0);
        SetEvent(event);
        for (int i = 0; i < 5000 && InterruptGuard::Signal() == 0; ++i) Sleep(1);
        EXPECT_EQ(InterruptGuard::Signal(), kSignalInterrupt);
    }
    SetEnvironmentVariableW(L"FERROWICK_STOP_EVENT", nullptr);
    CloseHandle(event);
}

}  // namespace
}  // namespace ferrowick::cli

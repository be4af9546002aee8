#pragma once
// Ctrl-C, SIGTERM and SIGHUP (from `timeout`, a service manager or a dropped SSH session)
// all ask the run to stop, as the Stop button does: the terminal prompts confirm it, the
// store is committed and released, and what was not converted is listed. A second signal
// ends the program at once — the store file still holds its last commit. On Windows the
// console's Ctrl-C, Ctrl-Break and close events do the same (see stop_signals.hpp).
#include "seams/status_board.hpp"
#include "seams/yielder.hpp"

namespace ferrowick::cli {

// Catches the signals (or console events) for as long as it lives; the default handling returns after.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // The first signal caught (SIGINT, SIGTERM, SIGHUP or, on Windows, SIGBREAK), 0 while none arrived.
    static int Signal();
    // For a process that runs others: a second signal is recorded (to be passed on to
    // them) instead of ending this process at once.
    static void RecordSecondSignal();
    // The second signal caught after RecordSecondSignal, 0 while none arrived.
    static int SecondSignal();
    // The exit status of a run ended by `signal`: 128 + its number, as shells report.
    static int ExitStatusFor(int signal) { return 128 + signal; }
};

class TerminalYielder : public Yielder {
public:
    explicit TerminalYielder(RequestFlags& flags) : flags_(flags) {}

    // Raises StopRequested from the first signal on. The request stays raised: the driver
    // clears the flags between discovery and the engine, and the Stop must still reach the
    // engine's next check.
    void Yield() override;

private:
    RequestFlags& flags_;
};

}  // namespace ferrowick::cli

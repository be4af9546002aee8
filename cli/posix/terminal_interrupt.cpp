#include "cli/terminal_interrupt.hpp"

#include <signal.h>

namespace ferrowick::cli {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t caught = 0;
volatile sig_atomic_t caughtAgain = 0;
volatile sig_atomic_t recordSecond = 0;

void Handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

extern "C" void OnStopSignal(int signal) {
    if (caught == 0) {
        caught = signal;
        if (recordSecond) return;
    } else if (caughtAgain == 0) {
        caughtAgain = signal;
    }
    for (int s : kStopSignals) Handle(s, SIG_DFL);  // the next one ends the program
}

}  // namespace

InterruptGuard::InterruptGuard() {
    caught = 0;
    caughtAgain = 0;
    recordSecond = 0;
    for (int s : kStopSignals) Handle(s, OnStopSignal);
}

InterruptGuard::~InterruptGuard() {
    for (int s : kStopSignals) Handle(s, SIG_DFL);
}

int InterruptGuard::Signal() { return caught; }

void InterruptGuard::RecordSecondSignal() { recordSecond = 1; }

int InterruptGuard::SecondSignal() { return caughtAgain; }

void TerminalYielder::Yield() {
    if (caught != 0) flags_.StopRequested = true;
}

}  // namespace ferrowick::cli

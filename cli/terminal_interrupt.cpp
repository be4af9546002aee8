#include "cli/terminal_interrupt.hpp"

#include <csignal>

namespace ferrowick::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
    std::signal(SIGINT, SIG_DFL);  // the next Ctrl-C ends the program
}

}  // namespace

TerminalYielder::TerminalYielder(RequestFlags& flags) : flags_(flags) {
    interrupted = 0;
    std::signal(SIGINT, OnInterrupt);
}

TerminalYielder::~TerminalYielder() { std::signal(SIGINT, SIG_DFL); }

// The request stays raised after Ctrl-C: the driver clears the flags between discovery and
// the engine, and the Stop must still reach the engine's next check.
void TerminalYielder::Yield() {
    if (interrupted) flags_.StopRequested = true;
}

void TerminalYielder::SimulateInterruptForTesting() { OnInterrupt(SIGINT); }

}  // namespace ferrowick::cli

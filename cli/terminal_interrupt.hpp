#pragma once
// Ctrl-C on the terminal: the first one asks the run to stop (as the Stop button does; the
// terminal prompts confirm it) and the store is released as after a confirmed Stop; a
// second one ends the program at once — the store file still holds its last commit.
#include "run/status_board.hpp"
#include "run/yielder.hpp"

namespace ferrowick::cli {

class TerminalYielder : public Yielder {
public:
    explicit TerminalYielder(RequestFlags& flags);
    ~TerminalYielder() override;  // restores the default handling of Ctrl-C
    TerminalYielder(const TerminalYielder&) = delete;
    TerminalYielder& operator=(const TerminalYielder&) = delete;

    void Yield() override;  // raises StopRequested from the first Ctrl-C on

    static void SimulateInterruptForTesting();

private:
    RequestFlags& flags_;
};

}  // namespace ferrowick::cli

// Feeds the terminal status board 10,000 updates of a folder's progress as fast as they come,
// as the engine writes them, and prints how often it repainted and how long the updates took.
// The board repaints at most ten times a second on a terminal: a tight loop should cost a
// handful of repaints.
//   bench_terminal_board [UPDATES]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "cli/terminal_status_board.hpp"
#include "engine/progress_text.hpp"
#include "fs/text.hpp"

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    const int updates = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::FILE* sink = std::tmpfile();
    if (sink == nullptr) return 1;
    for (bool terminal : {true, false}) {
        ferrowick::cli::TerminalStatusBoard board(sink, terminal, 100);
        const auto start = Clock::now();
        for (int i = 1; i <= updates; ++i) {
            const float percent = ferrowick::ProgressPercent(i, updates);
            board.SetProgressValue(percent);
            board.SetProgressText(ferrowick::PercentCompleteText(percent));
            board.SetFrameConversion(u"Reading Messages && Email Metadata - (" + ferrowick::DecimalText(i) + u" of " +
                                     ferrowick::DecimalText(updates) + u") File(s)");
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        board.Finish();
        std::printf("%s: %d updates in %.3f s, %d repaints\n", terminal ? "terminal" : "plain lines", updates, seconds,
                    board.Repaints());
    }
    std::fclose(sink);
    return 0;
}

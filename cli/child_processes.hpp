#pragma once
// Runs copies of this program as child processes, a few at a time, and passes on what each
// writes to its standard error. Their standard input and output are the null device. A
// request to stop reaches this process only; it is passed on to each running child once,
// and a second one ends them. (On Windows the children have no console: the stop reaches
// them through an event named in their environment, FERROWICK_STOP_EVENT.)
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrowick::cli {

struct ChildResult {
    bool started = false;
    bool failedToStart = false;
    int exitStatus = 0;  // when it ended by itself
    int signal = 0;      // the signal that ended it (POSIX only), 0 when none
};

// What to watch while the children run: the first request to stop (no more children are
// started and the running ones get it), and a second one (they are ended at once).
struct StopRequests {
    std::function<int()> first;
    std::function<int()> second;
};

// `onOutput(i, bytes)` gets child i's standard error as it comes; `onEnd(i)` once it ended.
std::vector<ChildResult> RunChildren(const std::vector<std::vector<std::string>>& argumentLists, unsigned jobs,
                                     const StopRequests& stop,
                                     const std::function<void(std::size_t, std::string_view)>& onOutput,
                                     const std::function<void(std::size_t)>& onEnd);

}  // namespace ferrowick::cli

#include "ui/run_driver_hook.hpp"

#include "run/run_driver.hpp"

namespace ferrowick::ui {

std::function<void(RunState&, RunSeams&)> RunDriver() {
    return [](RunState& state, RunSeams& seams) { StartConversionClick(state, seams); };
}

}  // namespace ferrowick::ui

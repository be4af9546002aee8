#pragma once
// The run driver as the wizard calls it.
#include <functional>

#include "run/run_seams.hpp"
#include "run/run_state.hpp"

namespace ferrowick::ui {

std::function<void(RunState&, RunSeams&)> RunDriver();

}  // namespace ferrowick::ui

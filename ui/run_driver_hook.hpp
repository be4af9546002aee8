#pragma once
// The run driver as the wizard calls it.
#include <functional>

#include "seams/run_seams.hpp"
#include "seams/run_state.hpp"

namespace ferrowick::ui {

std::function<void(RunState&, RunSeams&)> RunDriver();

}  // namespace ferrowick::ui

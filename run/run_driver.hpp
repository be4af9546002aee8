#pragma once
// One whole conversion run, from the Next click of a selection window to the completion
// box: discovery and the engine for the single source folder, or for each ticked row of
// the multiple-folder list in row order, with Stop honoured between folders. The status
// window is already shown; the call returns once the completion box is acknowledged.
#include "seams/run_seams.hpp"
#include "seams/run_state.hpp"

namespace ferrowick {

// A call made while a run is in progress returns at once and changes nothing.
void StartConversionClick(RunState& state, RunSeams& seams);

}  // namespace ferrowick

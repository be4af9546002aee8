#pragma once
// The conversion engine: one call turns one discovered source folder tree into one output
// store. The driver calls it after discovery has filled the queues and MessageCount.
#include <string>

#include "seams/run_seams.hpp"
#include "seams/run_state.hpp"

namespace ferrowick {

void StartMigration(RunState& state, RunSeams& seams, const std::u16string& folderName,
                    const std::u16string& folderPath);

}  // namespace ferrowick

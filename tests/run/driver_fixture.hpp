#pragma once
// Whole runs through the driver: a source tree on disk, discovery for real, the
// in-memory store, and the recorders of every seam.
#include "../engine/migration_fixture.hpp"
#include "run/run_driver.hpp"

namespace ferrowick::testing {

class DriverTest : public MigrationTest {
protected:
    void Run() { StartConversionClick(state_, seams_); }

    // The one message box a run ends with.
    const MessageBoxRequest& CompletionBox() const { return prompts_.shown.back(); }
    std::vector<std::string> Captions() const { return board_.Writes("Caption"); }
};

}  // namespace ferrowick::testing

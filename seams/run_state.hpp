#pragma once
// The state one run owns for its whole length: settings, the two discovery queues, the
// request flags, and the output names the engine records. One instance per process,
// handed to the driver, discovery and the engine by reference.
#include <string>

#include "seams/conversion_report.hpp"
#include "seams/keyed_queue.hpp"
#include "seams/run_settings.hpp"
#include "seams/status_board.hpp"

namespace ferrowick {

struct RunState {
    RunSettings Settings;
    KeyedQueue MessageQueue;
    KeyedQueue FolderQueue;
    RequestFlags Flags;
    std::u16string OutputPstPath;  // read by the status window's Open Folder
    std::u16string StoreEntryID;
    std::u16string OutputFolder;
    ConversionReport Report;     // files not converted, per folder; reset at run start
    bool RunInProgress = false;  // set by the driver for the length of a run
};

}  // namespace ferrowick

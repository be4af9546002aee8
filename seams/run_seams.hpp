#pragma once
// Everything a run reaches outside its own state: the status board, the yield, the modal
// prompts, the selection the windows hold, the message-store service and the clock.
// A front end builds one and hands it to the driver, which passes it on to the engine.
#include "seams/clock.hpp"
#include "seams/prompts.hpp"
#include "seams/selection_inputs.hpp"
#include "seams/status_board.hpp"
#include "seams/store_service.hpp"
#include "seams/yielder.hpp"

namespace ferrowick {

struct RunSeams {
    StatusBoard& board;
    Yielder& yielder;
    Prompts& prompts;
    SelectionInputs& selection;
    MessageStoreService& store;
    const Clock& clock;
};

}  // namespace ferrowick

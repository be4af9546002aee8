#pragma once
// The program's wizard: creates the application and the start window and runs the loop.
namespace ferrowick {
class MessageStoreService;
}

namespace ferrowick::ui {

// store: the message-store service that runs write through; without one every run
// reports that no store session could be opened.
int RunWizard(int argc, char** argv, MessageStoreService* store = nullptr);

}  // namespace ferrowick::ui

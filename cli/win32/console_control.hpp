#pragma once
// What the console control handler does with an event (CTRL_C_EVENT, CTRL_BREAK_EVENT,
// CTRL_CLOSE_EVENT...): true when it was taken as a request to stop, false when the
// default handling (ending the process) is to follow.
namespace ferrowick::cli {

bool HandleConsoleControl(unsigned long event);

}  // namespace ferrowick::cli

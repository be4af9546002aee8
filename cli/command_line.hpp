#pragma once
// Entry point of the headless command line.

namespace ferrowick::cli {

int RunCommandLine(int argc, char** argv);

}  // namespace ferrowick::cli

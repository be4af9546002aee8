#pragma once
// The command line's commands. Each lives in its own file and adds itself to the parser as
// a sub-command; when the arguments parse, its callback leaves the work to do in `action`,
// which the dispatcher in command_line.cpp then runs.
#include <functional>

#include <CLI/CLI.hpp>

namespace ferrowick::cli {

using CommandAction = std::function<int()>;

void AddScanCommand(CLI::App& app, CommandAction& action);     // list a source tree into the two queues
void AddConvertCommand(CLI::App& app, CommandAction& action);  // convert a tree (or sub-folders) into .pst files
void AddInspectCommand(CLI::App& app, CommandAction& action);  // print a .pst's folder tree with message counts
void AddCheckCommand(CLI::App& app, CommandAction& action);    // strict structural check of a .pst
void AddSampleCommand(CLI::App& app, CommandAction& action);   // write the bundled sample tree of .msg files

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

}  // namespace ferrowick::cli

#pragma once
// The command line's commands. Each lives in its own file; the dispatcher in
// command_line.cpp picks one by its first argument. Arguments exclude the command word.
#include <string>
#include <vector>

namespace ferrowick::cli {

using Args = std::vector<std::string>;

int CmdScan(const Args& args);     // list a source tree into the two queues
int CmdConvert(const Args& args);  // convert a tree (or sub-folders) into .pst files
int CmdInspect(const Args& args);  // print a .pst's folder tree with message counts
int CmdCheck(const Args& args);    // strict structural check of a .pst
int CmdSample(const Args& args);   // write the bundled sample tree of .msg files

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

}  // namespace ferrowick::cli

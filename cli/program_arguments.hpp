#pragma once
// The program's arguments in UTF-8. On Windows main's argv is in the ANSI code page, which
// cannot hold every file name: the arguments are taken from the UTF-16 command line instead.
#include <string>
#include <vector>

namespace ferrowick::cli {

std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace ferrowick::cli

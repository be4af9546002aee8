#include "cli/program_arguments.hpp"

namespace ferrowick::cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

}  // namespace ferrowick::cli

#pragma once
// One argument quoted for a Windows command line so that the C runtime's parsing
// (CommandLineToArgvW) gives it back unchanged: spaces, quotes and backslashes included.
#include <string>

namespace ferrowick::cli {

std::u16string QuoteArgument(const std::u16string& argument);

}  // namespace ferrowick::cli

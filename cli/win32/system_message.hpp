#pragma once
// The system's own words for a Win32 error code, without the closing full stop.
#include <string>

namespace ferrowick::cli {

std::string SystemMessage(unsigned long code);

}  // namespace ferrowick::cli

#include "support/msg_fixtures.hpp"

namespace ferrowick::testing {

// The Python readers are Debian's: a Windows test program has none, and the tests that use
// them run in the Linux tree only.
PythonRun RunPython(const std::string&, const std::vector<std::string>&) { return PythonRun{}; }

}  // namespace ferrowick::testing

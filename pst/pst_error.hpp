#pragma once
// The one exception type of the .pst layers: a file that is not a .pst we can use, damaged
// content, or a request the format cannot carry. Its message is meant for a person.
#include <stdexcept>
#include <string>

namespace ferrowick::pst {

class PstError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace ferrowick::pst

#pragma once
// The exception of the property model: a caller asked for something the model cannot hold,
// such as a value made or read as a type other than its own. Damaged input is the business of
// the format that read it, which reports it with its own error.
#include <stdexcept>
#include <string>

namespace ferrowick::mapi {

class PropertyError : public std::invalid_argument {
public:
    explicit PropertyError(const std::string& what) : std::invalid_argument(what) {}
};

}  // namespace ferrowick::mapi

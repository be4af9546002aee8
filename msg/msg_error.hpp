#pragma once
// The one exception a damaged or hostile .msg or compound file raises. Its text says what is
// wrong and where, so a caller can report the file as not converted and go on.
#include <stdexcept>
#include <string>

namespace ferrowick::msg {

class MsgError : public std::runtime_error {
public:
    explicit MsgError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace ferrowick::msg

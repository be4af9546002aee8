#pragma once
// Faults of the compound-file layer. A CfbError is a MsgError, so callers of the .msg reader
// catch one type.
#include "msg/msg_error.hpp"

namespace ferrowick::msg::cfb {

class CfbError : public MsgError {
public:
    CfbError(ErrorKind kind, const std::string& what) : MsgError(kind, "compound file: " + what) {}
};

}  // namespace ferrowick::msg::cfb

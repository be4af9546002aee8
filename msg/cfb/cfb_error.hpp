#pragma once
// Faults of the compound-file layer. A CfbError is a MsgError, so callers of the .msg reader
// catch one type.
#include "msg/msg_error.hpp"

namespace ferrowick::msg::cfb {

class CfbError : public MsgError {
public:
    explicit CfbError(const std::string& what) : MsgError("compound file: " + what) {}
};

}  // namespace ferrowick::msg::cfb

#pragma once
// The one exception a damaged or hostile .msg or compound file raises. Its kind lets a caller
// tell damage from an unsupported file, a failed read or a limit; its text says what is wrong
// and where, so a caller can report the file as not converted and go on.
#include <stdexcept>
#include <string>

namespace ferrowick::msg {

enum class ErrorKind {
    CorruptStructure,   // the bytes contradict the format: damaged or hostile input
    UnsupportedFormat,  // not a compound file or .msg, or a version we do not handle
    Io,                 // the operating system refused an open, read or write
    LimitExceeded,      // a size or depth beyond what we accept or the format can carry
    InvalidArgument,    // a caller asked for something that makes no sense
};

class MsgError : public std::runtime_error {
public:
    MsgError(ErrorKind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    ErrorKind Kind() const { return kind_; }

private:
    ErrorKind kind_;
};

}  // namespace ferrowick::msg

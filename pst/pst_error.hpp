#pragma once
// The exception type of the .pst layers: a file that is not a .pst we can use, damaged
// content, or a request the format cannot carry. Its kind lets a caller tell these apart;
// its message is meant for a person.
#include <stdexcept>
#include <string>

namespace ferrowick::pst {

enum class ErrorKind {
    CorruptStructure,   // the bytes contradict the format: damaged or hostile input
    UnsupportedFormat,  // a well-formed file of a kind or version we do not handle
    Io,                 // the operating system refused a read, write, lock or open
    LimitExceeded,      // a value or a size beyond what the format can carry
    InvalidArgument,    // a caller asked for something that makes no sense
    FileInUse,          // another writer holds the file
    FileExists,         // a file to be made new is there already
};

const char* ErrorKindName(ErrorKind kind);

class PstError : public std::runtime_error {
public:
    PstError(ErrorKind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    ErrorKind Kind() const { return kind_; }

private:
    ErrorKind kind_;
};

inline const char* ErrorKindName(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::CorruptStructure:
            return "corrupt structure";
        case ErrorKind::UnsupportedFormat:
            return "unsupported format";
        case ErrorKind::Io:
            return "I/O";
        case ErrorKind::LimitExceeded:
            return "limit exceeded";
        case ErrorKind::InvalidArgument:
            return "invalid argument";
        case ErrorKind::FileInUse:
            return "file in use";
        case ErrorKind::FileExists:
            return "file exists";
    }
    return "unknown";
}

}  // namespace ferrowick::pst

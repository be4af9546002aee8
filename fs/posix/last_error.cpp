#include "fs/last_error.hpp"

#include <cerrno>

namespace ferrowick::fs {
namespace {
thread_local std::int32_t lastError = 0;
}

std::int32_t LastError() { return lastError; }

void SetLastError(std::int32_t code) { lastError = code; }

void RecordLastError(std::int32_t reportedCode) {
    if (reportedCode != 0) {
        lastError = reportedCode;
    } else if (errno != 0) {
        lastError = errno;
    } else {
        lastError = kUnknownError;
    }
}

}  // namespace ferrowick::fs

#include "fs/last_error.hpp"

#include <windows.h>

namespace ferrowick::fs {
namespace {
thread_local std::int32_t lastError = 0;
}

std::int32_t LastError() { return lastError; }

void SetLastError(std::int32_t code) { lastError = code; }

void RecordLastError(std::int32_t reportedCode) {
    if (reportedCode != 0) {
        lastError = reportedCode;
    } else if (const DWORD system = ::GetLastError(); system != 0) {
        lastError = static_cast<std::int32_t>(system);
    } else {
        lastError = kUnknownError;
    }
}

}  // namespace ferrowick::fs

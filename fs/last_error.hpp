#pragma once
// The layer's last error: 0 after each successful platform call, the captured code after a
// failed one. On Windows the codes are the system's (GetLastError), where 18 is
// ERROR_NO_MORE_FILES. On POSIX the codes are errno values, except that kNoMoreFiles (18) always
// means "the listing has ended" and is never an error; errno 18 (EXDEV) cannot come from
// the calls this layer makes. A name that no listing matches reports ENOENT.
// Kept per thread, so that tests and tools on other threads never see each other's codes.
#include <cstdint>

namespace ferrowick::fs {

inline constexpr std::int32_t kNoMoreFiles = 18;
inline constexpr std::int32_t kUnknownError = -1;

std::int32_t LastError();
void SetLastError(std::int32_t code);

// Captures the code of a failed call: the code the call reported; when that is 0 the
// thread's errno (Windows: GetLastError); when that is 0 too, kUnknownError.
void RecordLastError(std::int32_t reportedCode = 0);

}  // namespace ferrowick::fs

#pragma once
// How a path is classified before it is listed: local, UNC (two leading separators) or ftp.
#include <cstdint>

namespace ferrowick::fs {

using PathKind = std::int32_t;
inline constexpr PathKind kLocalPath = 1;
inline constexpr PathKind kUncPath = 2;
inline constexpr PathKind kFtpPath = 3;

}  // namespace ferrowick::fs

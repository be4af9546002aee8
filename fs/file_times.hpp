#pragma once
// File times as the layer reports them: 100-ns intervals since 1 January 1601 UTC, and the
// same instant as a calendar date and time of day.
#include <cstdint>

#include "fs/file_entry.hpp"

namespace ferrowick::fs {

// POSIX seconds and nanoseconds since 1970 to the 1601-based count. Instants before 1601
// cannot be written that way and become 0; instants beyond the count's range saturate.
std::uint64_t FileTimeFromPosix(std::int64_t seconds, std::uint32_t nanoseconds);

// Fills Raw always; Value and Failed=false when the instant falls in the years 100..9999
// (the 1601 count starts inside that range, so only the upper bound can be passed), and
// Failed=true with Value untouched otherwise, as a date type of that range would do.
void ConvertFileTime(std::uint64_t raw, FileTimeInfo& info);

}  // namespace ferrowick::fs
